#include "app/controls/ShellFunctions.h"

#include "app/shared/Strings.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/FileDialogs.h"

namespace {

// Tells the site which build the visitor runs.
constexpr const char* kDistributionCode = "zem";

}  // namespace

int OpenWebPage(const std::string& address)
{
    std::string url = address;
    if (url.find('?') == std::string::npos)
        url += '?';
    else if (url.back() != '&')
        url += '&';
    url = zem::Format("%sc=%s&t=%s&v=%s", url.c_str(), kDistributionCode, "0", LoadResString(5).c_str());
    return zem::gui::OpenWithDesktop(url);
}

bool BrowseForFolder(QWidget* owner, const std::string& title, unsigned flags, std::string& path)
{
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::Folder;
    request.title = title;
    request.folder = path;
    const std::string chosen = zem::gui::ChooseFile(owner, request);
    if (chosen.empty()) {
        path.clear();
        return false;
    }
    std::string message;
    if (!CheckGbkText(chosen, &message)) {
        ShowMessage(message);
        return false;
    }
    path = chosen;
    return true;
}
