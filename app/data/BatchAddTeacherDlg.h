#pragma once
// "批量添加教师": a typed or pasted list of teacher names becomes teacher rows; a preview shows each
// name with the short name it gets and how many there are.
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
namespace zem::gui {
class ReportList;
}

// The names of the text: cut at commas (either width), enumeration commas, semicolons and line
// breaks, trimmed, empty ones dropped, and a name repeated (ignoring case) kept once, first place.
std::vector<std::string> SplitTeacherNames(const std::string& text);
// A teacher's short name: the first character when it is a Chinese (double-byte) one, else up to two
// single-byte characters, stopping before a double-byte one: 张三 张, Tom To, A张 A.
std::string TeacherShortName(const std::string& name);

class CBatchAddTeacherDlg : public zem::gui::Dialog {
public:
    enum { IDD = 365, IDC_PROMPT = 32824, IDC_NAMES = 1389, IDC_PREVIEW_LABEL = 32825, IDC_PREVIEW = 1334,
           IDC_COUNT = 32826 };

    // The teacher page that opens the dialog is its parent and receives the rows.
    explicit CBatchAddTeacherDlg(QWidget* parent = nullptr);

    QPlainTextEdit* GetNamesEdit() const { return m_names; }
    zem::gui::ReportList* GetPreview() const { return m_preview; }

protected:
    bool OnInitDialog() override;
    // Sends every previewed teacher and closes; without a name it asks for the list.
    void OnOK() override;

private:
    void UpdatePreview();

    std::string m_text;
    QPlainTextEdit* m_names = nullptr;
    zem::gui::ReportList* m_preview = nullptr;
    QLabel* m_count = nullptr;
};
