#include "app/shared/AdjustmentHistory.h"

#include "app/shared/AppServices.h"
#include "app/shared/Strings.h"
#include "base/ScheduleTask.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

namespace {

constexpr const char* kSection = kAdjustmentHistorySection;
constexpr int kKeptEntries = kAdjustmentHistoryCount;
// The settings reader accepts files of bounded size: the oldest entries beyond this go.
constexpr std::size_t kMaxSectionBytes = 256 * 1024;

std::string ValueOf(const CAdjustmentEntry& entry)
{
    // A "|" in the title would read back as an id.
    std::string value = zem::ReplaceAll(entry.title, "|", "｜");
    for (const std::string& id : entry.ids)
        value += "|" + id;
    return value;
}

}  // namespace

void CAdjustmentHistory::Load(const std::string& file, const std::string& section, int count)
{
    m_file = file;
    m_section = section;
    m_capacity = count;
    zem::IniFile ini;
    ini.Load(file);
    for (int i = 1; i <= count; ++i) {
        const std::string value = ini.GetString(section, std::to_string(i));
        if (value.empty())
            break;
        std::vector<std::string> parts;
        SplitToArray(value, "|", parts, false);
        auto entry = std::make_unique<CAdjustmentEntry>();
        entry->title = parts.front();
        entry->ids.assign(parts.begin() + 1, parts.end());
        m_entries.push_back(std::move(entry));
    }
}

bool SaveAdjustmentHistoryTo(const std::string& file, const std::string& section, int kept,
                             const CAdjustmentEntryList& newEntries)
{
    if (newEntries.empty())
        return true;
    CAdjustmentHistory history;
    history.Load(file, section, kept);
    std::vector<const CAdjustmentEntry*> entries;
    for (auto it = newEntries.rbegin(); it != newEntries.rend(); ++it)
        if (*it)
            entries.push_back(it->get());
    for (const auto& entry : history.GetEntries())
        entries.push_back(entry.get());

    zem::IniFile ini;
    if (!ini.LoadForEdit(file))
        return false;
    int key = 1;
    std::size_t bytes = 0;
    for (const CAdjustmentEntry* entry : entries) {
        if (key > kept)
            break;
        const std::string value = ValueOf(*entry);
        bytes += std::to_string(key).size() + value.size() + 3;  // key=value and the line end
        if (bytes > kMaxSectionBytes)
            break;
        // An empty value would end the list for a reader; such an entry has nothing to show.
        if (value.empty() || !ini.SetString(section, std::to_string(key), value))
            continue;
        ++key;
    }
    ini.SetString(section, std::to_string(key), "");
    return ini.SaveIfModified();
}

void SaveAdjustmentHistory(CAdjustmentEntryList& newEntries)
{
    const CAdjustmentEntryList given = std::move(newEntries);
    newEntries.clear();
    // Nothing to add leaves task.ini untouched.
    if (const CScheduleTask* task = AppServices().GetTask())
        SaveAdjustmentHistoryTo(task->GetConfigFile(), kSection, kKeptEntries, given);
}
