#include "app/shared/SettingsFile.h"

#include "app/shared/Strings.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include <sys/stat.h>
#include <unistd.h>

bool WriteSettings(const std::string& path, const std::vector<CSettingWrite>& writes, std::string* error)
{
    auto fail = [&](std::string reason) {
        if (error)
            *error = std::move(reason);
        return false;
    };
    for (const CSettingWrite& write : writes) {
        std::string message;
        if (!CheckGbkText(write.value, &message))
            return fail(message);
        if (write.value.find_first_of("\r\n") != std::string::npos)
            return fail("设置值不能含有换行");
    }
    zem::IniFile ini;
    if (!ini.Load(path))
        return fail(zem::Format("无法读取文件：%s", path.c_str()));
    for (const CSettingWrite& write : writes) {
        if (!ini.SetString(write.section, write.key, write.value))
            return fail(zem::Format("无法保存设置 [%s] %s", write.section.c_str(), write.key.c_str()));
    }
    if (!ini.IsModified())
        return true;
    // A file the user made read-only stays as it is, as it would on Windows (also for root, whom
    // the permission check lets through).
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && ((info.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0))
        return fail(zem::Format("%s：文件是只读的", path.c_str()));
    std::string reason;
    if (!zem::WriteFileAtomic(path, ini.Bytes(), &reason))
        return fail(reason);
    return true;
}
