#pragma once
// "教师上课时间查询": which teachers have a lesson at every one of the chosen periods, or are free at
// all of them. The answer is listed, a listed teacher's week is previewed with the periods marked,
// and the answer can be written to a text file.
#include "platform/gui/Dialog.h"
#include "table/WeekTable.h"

#include <string>
#include <vector>

class QPlainTextEdit;
class QRadioButton;
namespace zem::gui {
class ReportList;
}

class CTeacherTimeQueryDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 260,
        IDC_RESULT = 1056,
        IDC_EXPORT = 1088,
        IDC_RANGE = 1156,
        IDC_CHOOSE = 1157,
        IDC_QUERY_FRAME = 1158,
        IDC_PREVIEW_TITLE = 1159,
        IDC_PREVIEW = 1160,
        IDC_BUSY = 1169,
        IDC_FREE = 1170,
    };

    explicit CTeacherTimeQueryDlg(QWidget* parent = nullptr);
    ~CTeacherTimeQueryDlg() override;

    // The chosen periods {day number, segment, section}, in day, segment, section order.
    const std::vector<tagTABLE_NODE>& GetPeriods() const { return m_periods; }
    // Takes the periods as the picker would give them and queries.
    void SetPeriods(const std::vector<tagTABLE_NODE>& periods);
    // Lists the teachers with a lesson at every chosen period (the first mode) or free at all.
    void Query();
    // The text file's content: UTF-8 with a byte-order mark and CRLF line ends.
    std::string BuildExportText() const;

    zem::gui::ReportList* GetResultList() const { return m_result; }
    CWeekTable& GetPreview() { return m_preview; }
    const std::string& GetPreviewTitle() const { return m_previewTitle; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override {}
    void paintEvent(QPaintEvent* event) override;

private:
    void ChoosePeriods();
    void ShowPreview();
    void ClearResult();
    void Export();
    int Mode() const;

    std::vector<tagTABLE_NODE> m_periods;
    zem::gui::ReportList* m_result = nullptr;
    QPlainTextEdit* m_range = nullptr;
    QRadioButton* m_busy = nullptr;
    QRadioButton* m_free = nullptr;
    CWeekTable m_preview;
    std::string m_previewTitle;
    zem::Rect m_queryFrame;
    zem::Rect m_resultFrame;
    zem::Rect m_titleRect;
};
