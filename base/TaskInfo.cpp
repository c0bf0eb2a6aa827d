#include "base/TaskInfo.h"

#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"

namespace {

constexpr const char* kSection = "Task Info";

}  // namespace

CTaskInfo::CTaskInfo() : m_strInputFile("input.xml"), m_strOutputFile("output.xml") {}

void CTaskInfo::SetTaskFolder(const std::string& folder)
{
    m_strTaskFolder = folder;
    if (!m_strTaskFolder.empty() && m_strTaskFolder.back() != '/')
        m_strTaskFolder += '/';
}

std::string CTaskInfo::GetTaskFile() const
{
    if (!m_strTaskFile.empty())
        return m_strTaskFolder + m_strTaskFile;
    return m_strTaskFolder + m_strTaskName + ".zem";
}

std::string CTaskInfo::GetParentFolder() const
{
    std::string folder = m_strTaskFolder;
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash != 0)
        folder.resize(slash + 1);
    return folder;
}

bool CTaskInfo::WriteToFile() const
{
    if (m_strTaskName.empty())
        return false;
    // Only a task never read takes its file name from its name.
    std::string message;
    if (m_strTaskFile.empty() && !zem::CheckFileName(m_strTaskName, &message)) {
        zem::ShowMessage(message, "提示", zem::MessageIcon::Warning);
        return false;
    }
    const std::string path = GetTaskFile();
    zem::IniFile ini;
    // One load and one save, so the four keys change together or not at all.
    return ini.LoadForEdit(path) && ini.SetString(kSection, "Name", m_strTaskName) &&
           ini.SetString(kSection, "Creator", m_strAuthor) &&
           ini.SetString(kSection, "CreateTime", m_strCreateDate) &&
           ini.SetString(kSection, "Description", m_strDescription) && ini.SaveIfModified();
}

bool CTaskInfo::ReadFromFile(const std::string& path, std::string* error)
{
    std::string bytes;
    const bool read = zem::ReadFileBytes(path, bytes, error, nullptr, zem::kMaxIniFileBytes);
    const zem::IniFile ini = zem::IniFile::FromBytes(bytes);
    m_strTaskName = ini.GetString(kSection, "Name");
    m_strAuthor = ini.GetString(kSection, "Creator");
    m_strCreateDate = ini.GetString(kSection, "CreateTime");
    m_strDescription = ini.GetString(kSection, "Description");
    const std::size_t slash = path.rfind('/');
    SetTaskFolder(slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
    m_strTaskFile = slash == std::string::npos ? path : path.substr(slash + 1);
    return read;
}
