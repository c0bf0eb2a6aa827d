#pragma once
// The dialog that edits one of the program's table-font records: the face, size, bold and italic
// of a cell's first line and of its other lines, and calligraphic styles in one click. Every change
// goes at once to the window that opened it, which rebuilds its grid fonts; the record is kept and
// written to zem.ini however the dialog closes.
#include "app/shared/FontSpec.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class QComboBox;

class CTableFontDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 330,
        IDC_DEFAULT = 1326,
        IDC_TITLE_FACE = 1327,
        IDC_TITLE_SIZE = 1328,
        IDC_TITLE_BOLD = 1329,
        IDC_TITLE_ITALIC = 1330,
        IDC_CONTENT_FACE = 1331,
        IDC_CONTENT_SIZE = 1332,
        IDC_CONTENT_BOLD = 1333,
        IDC_CONTENT_ITALIC = 1334,
        IDC_STYLE_KAI = 1335,  // then 行, 隶, 魏, 篆 and 黑
        IDC_STYLE_HEI = 1340,
    };
    static constexpr int kStyleCount = 6;
    // The sizes both size lists offer, in points.
    static const std::vector<int>& SizeChoices();

    explicit CTableFontDlg(QWidget* parent = nullptr);
    ~CTableFontDlg() override;

    // Before the run: the window told of every change (may be null) and the record edited, 0 the
    // week window, 1 the multi-timetable window, 2 the whole-school window.
    void SetTarget(zem::MessageTarget* notify, int record);
    // The installed faces offered; without a call, the program's list of installed faces.
    void SetFaceList(std::vector<std::string> faces);

    const CTableFontPair& GetWorkingFonts() const { return m_fonts; }
    // The face a quick style resolved to; empty when no installed face stands for it.
    const std::string& GetStyleFace(int style) const { return m_styleFaces[style]; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override;
    void OnCancel() override;

private:
    QComboBox* AddCombo(int id, const zem::Rect& rect);
    void ResolveStyleFaces();
    void ApplyStyle(int style);
    void ShowFonts();
    void Notify();
    // The working fonts back into the record and zem.ini, once.
    void KeepFonts();

    zem::MessageTarget* m_notify = nullptr;
    int m_record = 0;
    CTableFontPair m_fonts;
    std::vector<std::string> m_faces;
    bool m_hasFaceList = false;
    std::string m_styleFaces[kStyleCount];
    bool m_showing = false;  // the controls are being set from the fonts, not by the user
    bool m_ready = false;  // built: closing keeps the fonts
    bool m_kept = false;
};
