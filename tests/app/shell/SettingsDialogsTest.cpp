// The system settings dialog and the change of the start-up password.
#include "support/ShellTestSupport.h"
#include "app/shell/ChangePasswordDlg.h"
#include "app/shell/ProgramFeatures.h"
#include "app/shell/SystemSettingsDlg.h"
#include "platform/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStandardItemModel>

#include <sys/stat.h>

using zem::gui::Dialog;

namespace {

constexpr const char* kAbcDigest = "900150983cd24fb0d6963f7d28e17f72";

class SettingsTest : public ShellTest {
protected:
    SettingsTest() { RegisterProgramFeatures(); }

    std::string Auth() const { return zem::GetProfileString(IniPath(), "SYSTEM", "Auth", "none"); }

    // Types the three passwords and presses "修改密码"; the messages shown, and whether it closed.
    std::vector<zem::MessageRequest> Change(const std::string& oldPassword, const std::string& newPassword,
                                            const std::string& repeat, bool* closed = nullptr)
    {
        ScriptedMessages messages;
        CChangePasswordDlg dialog(IniPath());
        ModalScope modal([&](Dialog& shown) {
            shown.SetDlgItemText(CChangePasswordDlg::IDC_OLD, oldPassword);
            shown.SetDlgItemText(CChangePasswordDlg::IDC_NEW, newPassword);
            shown.SetDlgItemText(CChangePasswordDlg::IDC_REPEAT, repeat);
            shown.SendCommand(zem::IDOK);
            if (closed)
                *closed = shown.IsEnded();
        });
        dialog.DoModal();
        return messages.messages;
    }
};

}  // namespace

TEST_F(SettingsTest, PasswordChanges)
{
    struct Case {
        const char* what;
        std::string stored;  // empty: no Auth key
        std::string oldPassword, newPassword, repeat;
        std::string message;
        std::string auth;  // Auth afterwards
    };
    const std::vector<Case> cases = {
        {"set from none", "", "", "abc", "abc", "修改密码成功", kAbcDigest},
        {"a wrong old password", kAbcDigest, "abd", "x", "x", "原密码不正确", kAbcDigest},
        {"an old password where none is set", "", "abc", "x", "x", "原密码不正确", "none"},
        {"removed", kAbcDigest, "abc", "", "", "修改密码成功", ""},
        {"a stored digest in capitals still matches", "900150983CD24FB0D6963F7D28E17F72", "abc", "", "", "修改密码成功", ""},
        {"a repetition that differs in letter case", "", "", "Abc", "abc", "两次输入的新密码不一致，请检查后重新输入", "none"},
        {"nothing typed", "", "", "", "", "请输入新密码", "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRaw(IniPath(), c.stored.empty() ? "" : "[SYSTEM]\r\nAuth=" + c.stored + "\r\n");
        bool closed = false;
        const std::vector<zem::MessageRequest> messages = Change(c.oldPassword, c.newPassword, c.repeat, &closed);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, c.message);
        EXPECT_EQ(closed, c.message == "修改密码成功");
        EXPECT_EQ(Auth(), c.auth);
        if (c.message == "原密码不正确") {
            EXPECT_EQ(messages[0].caption, "Tavelin");
            EXPECT_EQ(messages[0].icon, zem::MessageIcon::None);
        }
    }
}

TEST_F(SettingsTest, AReadOnlySettingsFileNeverReportsSuccess)
{
    WriteRaw(IniPath(), "[Common]\r\nLastPage=2\r\n");
    ASSERT_EQ(::chmod(IniPath().c_str(), 0444), 0);
    bool closed = true;
    const std::vector<zem::MessageRequest> messages = Change("", "abc", "abc", &closed);
    ::chmod(IniPath().c_str(), 0644);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "无法写入设置文件 " + IniPath());
    EXPECT_FALSE(closed);
    EXPECT_EQ(ReadRaw(IniPath()), "[Common]\r\nLastPage=2\r\n");
}

TEST_F(SettingsTest, TheSettingsAreWrittenWhenChangedAndMissingEnginesCannotBeChosen)
{
    MakeContext("[Export]\r\nDriver=1\r\n");
    bool passwordDialogShown = false;
    ModalScope modal([&](Dialog& shown) {
        if (dynamic_cast<CChangePasswordDlg*>(&shown)) {
            passwordDialogShown = true;
            SaveScreenshot(&shown, "change-password-dialog");
            shown.EndDialog(zem::IDCANCEL);
            return;
        }
        auto& dialog = dynamic_cast<CSystemSettingsDlg&>(shown);
        auto* driver = dialog.Item<QComboBox>(CSystemSettingsDlg::IDC_DRIVER);
        EXPECT_EQ(driver->currentIndex(), 1);
        auto* model = qobject_cast<QStandardItemModel*>(driver->model());
        ASSERT_NE(model, nullptr);
        EXPECT_TRUE(model->item(0)->isEnabled());
        EXPECT_FALSE(model->item(1)->isEnabled());
        EXPECT_FALSE(model->item(2)->isEnabled());
        // The built-in engine can be checked; the week-table format opens the export settings.
        EXPECT_TRUE(dialog.IsItemEnabled(CSystemSettingsDlg::IDC_CHECK_ENGINE));
        EXPECT_TRUE(dialog.IsItemEnabled(CSystemSettingsDlg::IDC_WEEK_FORMAT));
        EXPECT_FALSE(dialog.IsItemEnabled(CSystemSettingsDlg::IDC_SCHOOL_FORMAT));
        SaveScreenshot(&dialog, "settings-dialog");
        driver->activated(0);
        dialog.Item<QCheckBox>(CSystemSettingsDlg::IDC_MERGE_CONTINUOUS)->click();
        dialog.Item<QCheckBox>(CSystemSettingsDlg::IDC_AUTO_FILL)->click();
        dialog.SendCommand(CSystemSettingsDlg::IDC_CHANGE_PASSWORD);
        dialog.SendCommand(zem::IDOK);
    });
    CAppContext::Get()->ShowSettingsDialog();
    EXPECT_TRUE(passwordDialogShown);
    EXPECT_EQ(zem::GetProfileString(IniPath(), "Export", "Driver"), "0");
    EXPECT_EQ(zem::GetProfileString(IniPath(), "WeekTable", "MergeContinuous"), "1");
    EXPECT_EQ(zem::GetProfileString(IniPath(), "WeekTable", "AutoFillEmptyCell"), "1");
    EXPECT_TRUE(CAppContext::Get()->GetMergeContinuous());
}
