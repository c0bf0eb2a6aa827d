// The start-up password and the splash.
#include "support/ShellTestSupport.h"
#include "app/shell/LoginDlg.h"
#include "app/shell/ZemApp.h"
#include "platform/gui/Timers.h"
#include "support/MessageRecorder.h"

#include <QLineEdit>
#include <QWidget>
#include <QTest>

namespace {

using zem::gui::Dialog;

constexpr const char* kAbcDigest = "900150983cd24fb0d6963f7d28e17f72";  // "abc"

TEST(Login, OnlyTheRightPasswordOpens)
{
    MessageRecorder messages;
    int tries = 0;
    ModalScope scope([&](Dialog& d) {
        auto* edit = d.Item<QLineEdit>(CLoginDlg::IDC_PASSWORD);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        edit->setText("abc");
        SaveScreenshot(&d, "login_password");
        for (const char* entry : {"abd", "", "abc"}) {
            edit->setText(QString::fromUtf8(entry));
            QTest::mouseClick(d.GetDlgItem(zem::IDOK), Qt::LeftButton);
            ++tries;
            if (d.IsEnded())
                break;
        }
    });
    CLoginDlg login;
    EXPECT_TRUE(login.Run(kAbcDigest));
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"密码不正确", "密码不正确"}));
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Error);
}

TEST(Login, CancelEndsTheProgram)
{
    ModalScope scope([](Dialog& d) { QTest::mouseClick(d.GetDlgItem(zem::IDCANCEL), Qt::LeftButton); });
    CLoginDlg login;
    EXPECT_FALSE(login.Run(kAbcDigest));
}

TEST(Login, WithoutAPasswordTheSplashShowsForOneAndAHalfSeconds)
{
    zem::gui::FakeClock clock;
    bool ran = false;
    ModalScope scope([&](Dialog&) { ran = true; });
    CLoginDlg login;
    EXPECT_TRUE(login.Run(""));
    EXPECT_FALSE(ran);  // no modal run
    EXPECT_TRUE(login.IsSplashShowing());
    SaveScreenshot(&login, "splash");
    clock.Advance(1499);
    EXPECT_TRUE(login.IsSplashShowing());
    clock.Advance(1);
    EXPECT_FALSE(login.IsSplashShowing());
}

// A start slower than the splash's time must not leave the main window without it: the time
// counts from the first window shown under the splash.
TEST(Login, TheSplashTimeCountsFromTheMainWindowsShowing)
{
    zem::gui::FakeClock clock;
    CLoginDlg login;
    ASSERT_TRUE(login.Run(""));
    clock.Advance(1400);
    QWidget main;
    main.show();
    clock.Advance(1499);
    EXPECT_TRUE(login.IsSplashShowing());
    clock.Advance(1);
    EXPECT_FALSE(login.IsSplashShowing());
}

class PasswordDigest : public ShellTest {};

TEST_F(PasswordDigest, AHandEditedUpperCaseDigestIsReadLowerCase)
{
    struct Case {
        const char* ini;
        std::string digest;
    } cases[] = {
        {"[SYSTEM]\r\nAuth=900150983CD24FB0D6963F7D28E17F72\r\n", kAbcDigest},
        {"[system]\r\nauth=900150983cd24fb0d6963f7d28e17f72\r\n", kAbcDigest},
        {"[SYSTEM]\r\nAuth=\r\n", ""},
        {"[Common]\r\nLastPage=1\r\n", ""},
    };
    for (const Case& c : cases) {
        WriteRaw(IniPath(), c.ini);
        EXPECT_EQ(CZemApp::ReadPasswordDigest(IniPath()), c.digest) << c.ini;
    }
}

}  // namespace
