#pragma once
// "导入" of teaching plans, or of morning-reading and evening self-study plans: the import dialog of
// the basic data with a choice of the sheet's shape (cross table or flat list), a sample picture
// and help text for each, and its template. The worker asks the shape question and hands the rows
// and the head teachers to the page on the GUI thread.
#include "app/output/import/BaseDataImportDlg.h"
#include "app/output/import/PlanReader.h"

class CPlanImportDlg : public CBaseDataImportDlg {
public:
    enum {
        IDC_FORMAT = 1260,
        IDC_HELP_TEXT = 1310,
        IDC_ABOUT_BLOCKS = 1309,
    };

    explicit CPlanImportDlg(QWidget* parent = nullptr);

    // The window text ("导入" and the page's title), the page that receives the rows, and the mode.
    void SetTitle(const std::string& title, zem::MessageTarget* page, bool selfStudy);
    int GetFormat() const { return m_format; }
    bool IsSelfStudy() const { return m_selfStudy; }
    // The help text of a format in the dialog's mode.
    std::string HelpText(int format) const;
    // The sample sheet's rows of a format in the dialog's mode (the first row its headings).
    std::vector<std::vector<std::string>> SampleRows(int format) const;

protected:
    bool OnInitDialog() override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    bool ConfirmStart(const std::string& path) override;
    zem::import::RowReadResult ReadRows(const std::string& path, const zem::import::RowReadJob& job) override;
    std::string TemplateName() const override;
    // The sample's headings alone: a template imported as it is adds nothing.
    std::vector<std::vector<std::string>> TemplateRows() const override { return {SampleRows(m_format).front()}; }

private:
    void OnFormatChanged(int format);
    void ShowPicture();

    std::string m_caption;
    bool m_selfStudy = false;
    int m_format = zem::import::kFlatListFormat;
    zem::Rect m_textRect;
};
