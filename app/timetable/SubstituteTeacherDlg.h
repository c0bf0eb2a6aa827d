#pragma once
// "选择代课教师": the chooser of the teacher who stands in at the target cells, with filters (free
// there, same class, same subject, a search of names and their pinyin) and a preview of the
// candidate's week with the target cells marked.
#include "app/controls/DialogLook.h"
#include "app/timetable/SubstitutePlan.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ImageList.h"
#include "table/WeekTable.h"

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
namespace zem::gui {
class ItemList;
}

class CSubstituteTeacherDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 342,
        IDC_LIST = 1215,
        IDC_SEARCH = 1350,
        IDC_SEARCH_LABEL = 1351,
        IDC_FREE = 1352,
        IDC_SAME_SUBJECT = 1355,
        IDC_SAME_CLASS = 1356,
        IDC_SHOW_ALL = 1121,
        IDC_PREVIEW_TITLE = 1159,
        IDC_PREVIEW = 1160,
    };
    static constexpr const char* kNoChoiceText = "请在左边的列表中选择代课教师";

    explicit CSubstituteTeacherDlg(QWidget* parent = nullptr);
    ~CSubstituteTeacherDlg() override;

    void SetContext(CScheduleTask* task, const std::string& regularId, const std::vector<tagTABLE_NODE>& targets);
    // After IDOK.
    CZemObject* GetSubstitute() const { return m_substitute; }

    // Lists the candidates the filters and the search let through; the first is selected.
    void FillList();
    zem::gui::ItemList* GetList() const { return m_list; }
    CWeekTable& GetPreview() { return m_preview; }
    const std::string& GetPreviewTitle() const { return m_previewTitle; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowPreview();

    CScheduleTask* m_task = nullptr;
    std::string m_regularId;
    std::vector<tagTABLE_NODE> m_targets;
    std::unique_ptr<CSubstituteCandidates> m_candidates;
    CZemObject* m_substitute = nullptr;
    bool m_filling = false;

    zem::gui::ItemList* m_list = nullptr;
    QLineEdit* m_search = nullptr;
    QCheckBox* m_free = nullptr;
    QCheckBox* m_sameClass = nullptr;
    QCheckBox* m_sameSubject = nullptr;
    zem::gui::ImageList m_images;
    CWeekTable m_preview;
    std::string m_previewTitle;
    zem::Rect m_searchFrame;
    zem::Rect m_listFrame;
    zem::Rect m_titleRect;
};
