#pragma once
// Modal dialogs built in code. A dialog registers its controls under the numeric ids the program
// uses, sizes itself from dialog units, ends with the program's answer codes (IDOK 1, IDCANCEL 2)
// and runs modally through DoModal. Tests install a modal hook: the dialog is then built and shown
// without a modal loop, the hook works it like a user and DoModal returns what the dialog ended with.
#include "platform/Hooks.h"
#include "platform/gui/Font.h"
#include "platform/Gdi.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtText.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <string_view>

class QKeyEvent;

namespace zem::gui {

// Dialog base units of a font: the pixels of 4 horizontal and 8 vertical dialog units.
struct DialogUnits {
    int baseX = 6;
    int baseY = 12;

    static DialogUnits ForFont(const Font& font);
    int X(int units) const { return (units * baseX + 2) / 4; }
    int Y(int units) const { return (units * baseY + 4) / 8; }
};

class Dialog : public QDialog, public MessageReceiver {
public:
    // `sizeUnits` is the client size in dialog units of the dialog's font (the face goes through the
    // font alias table).
    Dialog(QWidget* parent, std::string_view caption, Size sizeUnits, std::string_view fontFace = "宋体",
           int pointSize = 9);
    ~Dialog() override;

    // Runs the dialog: builds it (OnInitDialog), then the modal loop or the modal hook. Returns the
    // code given to EndDialog; a dialog the hook leaves open answers IDCANCEL.
    int DoModal();
    // Builds a modeless dialog (OnInitDialog) without showing it; its owner shows and hides it.
    // False when the build failed.
    bool Create();
    // Ends the modal run with `code`. Safe to call before the loop starts.
    void EndDialog(int code);
    bool IsEnded() const { return m_ended; }

    // The controls, by their ids. A registered button sends its id to OnCommand when clicked.
    void AddControl(int id, QWidget* control);
    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const
    {
        return dynamic_cast<T*>(GetDlgItem(id));
    }
    int GetDlgCtrlID(const QWidget* control) const;
    void SetDlgItemText(int id, std::string_view text);
    std::string GetDlgItemText(int id) const;
    // The control's text as a whole number from low to high, as every typed number is checked:
    // otherwise the standard message, the focus back on the control, and false.
    bool GetDlgItemInt(int id, int low, int high, int* value);
    void EnableItem(int id, bool enable);
    bool IsItemEnabled(int id) const;
    void ShowItem(int id, bool show);
    // Sends a command as a click of the control would.
    void SendCommand(int id) { OnCommand(id); }

    void SetCaption(std::string_view caption);
    std::string Caption() const;

    const DialogUnits& Units() const { return m_units; }
    // A rectangle given in dialog units, in pixels.
    Rect UnitsRect(int x, int y, int width, int height) const;
    const Font& DialogFont() const { return m_font; }

    // A window over the whole work area, its frame included; the window system may also maximise it.
    void FillWorkArea();

protected:
    // Builds the controls; false ends the run with IDCANCEL.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // The caption's close box. By default it cancels.
    virtual void OnClose() { OnCancel(); }
    // A registered control was clicked: 1 is OK, 2 is Cancel, others go to the dialog.
    virtual void OnCommand(int id);
    // Every key press inside the dialog passes here first; true swallows it.
    virtual bool PreTranslateKey(QKeyEvent* event) { return false; }
    LRESULT WindowProc(unsigned message, WPARAM wParam, LPARAM lParam) override { return 0; }

    void reject() override;
    void accept() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A window opens inside the work area, its frame included: shrunk where it is larger, moved where
    // it stands out.
    void showEvent(QShowEvent* event) override;

private:
    void KeepInWorkArea();
    bool Build();

    Font m_font;
    DialogUnits m_units;
    std::map<int, QWidget*> m_controls;
    bool m_built = false;
    bool m_ended = false;
    bool m_inModalLoop = false;
    int m_code = IDCANCEL;
};

// Installed by tests: called with every dialog DoModal runs, after it is built and shown. The hook
// works the dialog (clicks, typing, EndDialog); nested dialogs call it again. Returns the previous hook;
// an empty function restores real modal runs.
using ModalHook = std::function<void(Dialog&)>;
ModalHook SetModalHook(ModalHook hook);
bool HasModalHook();

// Points the message hook of the data libraries at real message boxes on the GUI thread; messages
// from other threads are carried to it and wait for the answer.
void InstallMessageBoxes();

}  // namespace zem::gui
