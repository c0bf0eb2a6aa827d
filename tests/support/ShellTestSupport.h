#pragma once
// What the tests of the program's shell share: the user's folders and zem.ini inside a test
// folder, one application context over that zem.ini, the feature windows emptied, and recorded
// messages.
#include "support/ScreenTestSupport.h"
#include "app/shell/AppContext.h"
#include "app/shell/FeatureWindows.h"
#include "platform/Files.h"
#include "platform/UserFolders.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <string>

// Types the text into the widget one character at a time, as a keyboard (or input method) would;
// the test library's own typing knows only ASCII.
inline void TypeText(QWidget* widget, const std::string& text)
{
    for (const QChar c : QString::fromStdString(text)) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

class ShellTest : public testing::Test {
protected:
    ShellTest()
    {
        m_previousFolders = zem::SetUserFolderHook([this](zem::UserFolderKind kind) {
            switch (kind) {
            case zem::UserFolderKind::Documents:
                return folder.path() + "home/文档/";
            case zem::UserFolderKind::Desktop:
                return folder.path() + "home/桌面/";
            case zem::UserFolderKind::Temp:
                return folder.path() + "tmp/";
            case zem::UserFolderKind::Config:
                return folder.path() + "home/.config/";
            default:
                return folder.path() + "home/";
            }
        });
        zem::MakeFolder(folder.path() + "home/文档");
        zem::MakeFolder(folder.path() + "home/桌面");
        zem::MakeFolder(folder.path() + "tmp");
        m_savedWindows = FeatureWindows();
        FeatureWindows() = CFeatureWindows();
    }
    ~ShellTest() override
    {
        CAppContext::Free();
        FeatureWindows() = m_savedWindows;
        zem::SetUserFolderHook(m_previousFolders);
    }

    // A context over zem.ini in the test folder, holding the given bytes (GBK) first when any.
    CAppContext* MakeContext(const std::string& iniBytes = {})
    {
        if (!iniBytes.empty())
            WriteRaw(IniPath(), iniBytes);
        return CAppContext::Create(IniPath());
    }
    std::string IniPath() const { return folder / "zem.ini"; }
    std::string Documents() const { return folder.path() + "home/文档/"; }

    TempFolder folder;

private:
    zem::UserFolderHook m_previousFolders;
    CFeatureWindows m_savedWindows;
};
