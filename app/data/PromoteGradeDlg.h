#pragma once
// Grade promotion of the classes of the class page: every class name and short name gets the next
// grade mark of the chosen grade sequences; the old and new names are shown for confirmation, and
// the page's rows change only on OK (the task only when the page is saved).
#include "app/controls/OwnerDrawListBox.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class QComboBox;
class QLabel;
namespace zem::gui {
class ReportList;
}

// One class row of the page and its names before and after.
struct CPromotionRecord : CRenameRecord {
    std::string id;
    int row = 0;
};

// The new names of every record: names with the grade sequence `nameTag`, short names with
// `shortNameTag`.
void ComputePromotion(std::vector<CPromotionRecord>& records, int nameTag, int shortNameTag);
// The first repeated new name ("班级名称 %s 重复") or short name ("班级简称 %s 重复"), record by
// record, name before short name, ignoring case; empty text when there is none.
std::string FindPromotionRepeat(const std::vector<CPromotionRecord>& records);

// "选择年级标识格式": which grade sequence marks the grade in class names and in short names,
// remembered in zem.ini.
class CGradeTagDlg : public zem::gui::Dialog {
public:
    enum { IDD = 332, IDC_NAME_TAG = 1335, IDC_SHORT_NAME_TAG = 1336, IDC_HINT = 1310 };

    explicit CGradeTagDlg(QWidget* parent = nullptr);

    // The sequences chosen; before the run, the ones remembered.
    int GetNameTag() const { return m_nameTag; }
    int GetShortNameTag() const { return m_shortNameTag; }

protected:
    bool OnInitDialog() override;
    // Remembers both choices and closes.
    void OnOK() override;

private:
    int m_nameTag;
    int m_shortNameTag;
    QComboBox* m_nameBox = nullptr;
    QComboBox* m_shortNameBox = nullptr;
};

// "升年级": the old and new name of every class; OK refuses a repeated new name or short name.
class CPromoteGradeDlg : public zem::gui::Dialog {
public:
    enum { IDD = 331, IDC_LIST = 1334, IDC_CHANGE = 1336, IDC_TAG_LABEL = 1338 };

    explicit CPromoteGradeDlg(QWidget* parent = nullptr);

    void SetTags(int nameTag, int shortNameTag);
    std::vector<CPromotionRecord>& GetRecords() { return m_records; }
    COwnerDrawListBox* GetList() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // New names, list lines and the label from the tags.
    void Recompute();

    int m_nameTag = 2;
    int m_shortNameTag = 8;
    std::vector<CPromotionRecord> m_records;
    COwnerDrawListBox* m_list = nullptr;
    QLabel* m_tagLabel = nullptr;
    zem::Rect m_listFrame;
};

// The class page's promotion: asks the sequences, shows the promotion of the rows of `list`
// (column 0 id, 1 name, 2 short name) and on OK writes the new names into the rows. True when the
// rows changed.
bool PromoteClassRows(QWidget* page, zem::gui::ReportList& list);
