#pragma once
// The start-up window: a short splash over the starting main window, or, when a password is set,
// the login dialog that asks for it.
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"

#include <string>

class QLineEdit;

class CLoginDlg : public zem::gui::Dialog {
public:
    enum { IDC_PASSWORD = 1227 };
    static constexpr int kSplashTimer = 0;
    static constexpr int kSplashMs = 1500;

    explicit CLoginDlg(QWidget* parent = nullptr);
    ~CLoginDlg() override;

    // The stored digest, empty without a password. Without one the splash shows for 1.5 s and the
    // answer is true at once; with one the dialog runs and the answer is whether it ended with OK.
    bool Run(const std::string& digest);

    bool IsPasswordMode() const { return m_bPasswordMode; }
    bool IsSplashShowing() const;
    const zem::Rect& GetPromptRect() const { return m_promptRect; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnTimer(int id);

    std::string m_strDigest;
    bool m_bPasswordMode = false;
    bool m_overWindow = false;  // another window has shown under the splash
    zem::Rect m_editTemplate;
    zem::Rect m_promptRect;
    QLineEdit* m_password = nullptr;
    zem::gui::WindowTimers m_timers;
};
