#include "app/shell/ZemApp.h"

#include "app/output/workbook/ExportProgressDlg.h"
#include "app/shared/SettingsFile.h"
#include "app/shared/Strings.h"
#include "app/shell/AppContext.h"
#include "app/shell/LoginDlg.h"
#include "app/shell/MainDlg.h"
#include "app/shell/ProgramFeatures.h"
#include "app/shell/ShellBitmaps.h"
#include "base/Log.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"
#include "platform/SingleInstance.h"
#include "platform/Text.h"
#include "platform/gui/Translations.h"
#include "table/UICore.h"

const char* const CZemApp::kInstanceName = "zem-6f1c2b9e-3d4a-4e8b-9a51-2c7d0e4b8f13";

namespace {

// Where zem.ini keeps the password's MD5 digest.
constexpr const char* kPasswordSection = "SYSTEM";
constexpr const char* kPasswordKey = "Auth";
constexpr std::size_t kMaxDigestLength = 259;

}  // namespace

std::string CZemApp::ReadPasswordDigest(const std::string& iniPath)
{
    std::string digest = zem::GetProfileString(iniPath, kPasswordSection, kPasswordKey, "");
    if (digest.size() > kMaxDigestLength)
        digest.resize(kMaxDigestLength);
    return zem::ToLowerAscii(digest);
}

bool CZemApp::WritePasswordDigest(const std::string& iniPath, const std::string& digest, std::string* error)
{
    return WriteSettings(iniPath, {{kPasswordSection, kPasswordKey, digest}}, error);
}

int CZemApp::InitInstance()
{
    const zem::gui::ToolkitTranslations translations;
    if (!translations.IsLoaded())
        CLog::inst()->Log("start", "the toolkit's Chinese translations are not in %s",
                          zem::gui::ToolkitTranslations::Folder().c_str());
    zem::gui::InstallMessageBoxes();
    // Every workbook export of the program runs under its progress window.
    InstallExportProgressWindow();
    RegisterShellBitmaps();
    RegisterProgramFeatures();

    zem::SingleInstanceLock instance;
    if (!instance.Acquire(kInstanceName) && instance.HeldElsewhere()) {
        const std::string text = LoadResString(20);
        CLog::inst()->Log("start", "%s", text.c_str());
        zem::ShowMessage(text, LoadResString(2), zem::MessageIcon::Information);
        CLog::free();
        return 0;
    }

    const std::string digest = ReadPasswordDigest(CAppContext::GetIniFilePath());
    {
        CLoginDlg login;
        if (login.Run(digest)) {
            CMainDlg dialog;
            dialog.DoModal();
        }
        // The context goes with the main dialog; a run that never got there leaves none behind.
        CAppContext::Free();
    }
    CUICore::Free();
    CLog::free();
    return 0;
}
