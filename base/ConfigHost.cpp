#include "base/ConfigHost.h"

#include "platform/IniFile.h"

std::string CConfigHost::GetConfig(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const
{
    return zem::GetProfileString(m_strConfigFile, section, key, defaultValue);
}

int CConfigHost::GetConfigInt(const std::string& section, const std::string& key, int defaultValue) const
{
    return zem::GetProfileInt(m_strConfigFile, section, key, defaultValue);
}

bool CConfigHost::SetConfig(const std::string& section, const std::string& key, const std::string& value) const
{
    return zem::WriteProfileString(m_strConfigFile, section, key, value);
}

bool CConfigHost::SetConfigInt(const std::string& section, const std::string& key, int value) const
{
    return zem::WriteProfileInt(m_strConfigFile, section, key, value);
}
