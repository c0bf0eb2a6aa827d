#include "app/timetable/TableOptions.h"

#include "app/shared/AppServices.h"

#include <algorithm>

using zem::gui::MenuItem;

namespace {

// The settings the menu toggles, in the menu's order; a separator stands after the first two.
struct Toggle {
    int id;
    const char* text;
    bool (CAppServices::*get)() const;
    bool (CAppServices::*set)(bool) const;
};
constexpr Toggle kToggles[] = {
    {ID_OPTION_DISTRIBUTION, "调课时显示课程分布情况", &CAppServices::GetAutoShowDistribution,
     &CAppServices::SetAutoShowDistribution},
    {ID_OPTION_SOUND, "调课时播放声音", &CAppServices::GetPlaySoundInMoving, &CAppServices::SetPlaySoundInMoving},
    {ID_OPTION_TAG_LOCKED, "显示预排课标识（锁）", &CAppServices::GetShowTagLocked, &CAppServices::SetShowTagLocked},
    {ID_OPTION_TAG_LINKED, "显示合班标识（链条）", &CAppServices::GetShowTagLinked, &CAppServices::SetShowTagLinked},
    {ID_OPTION_TAG_DISABLED, "显示固定无课时间标识（禁止）", &CAppServices::GetShowTagDisabled,
     &CAppServices::SetShowTagDisabled},
    {ID_OPTION_ROOM_NUMBER, "显示多容量教室的编号", &CAppServices::GetShowRoomNumber, &CAppServices::SetShowRoomNumber},
};

}  // namespace

std::vector<MenuItem> TableOptionItems(bool withFont)
{
    const CAppServices& settings = AppServices();
    auto radio = [](int id, const char* text, bool on) { return MenuItem{id, text, true, on, true}; };
    const bool color = settings.GetColorTable();
    const bool starry = settings.GetWeekTableBackground() == 1;
    std::vector<MenuItem> items{
        MenuItem{0, "样式\tCtrl+T", true, false, false,
                 {radio(ID_OPTION_FLAT, "简洁平面", !color), radio(ID_OPTION_COLOR, "彩色立体", color)}},
        MenuItem{ID_OPTION_FONT, "字体", withFont},
        MenuItem{0, "背景", true, false, false,
                 {radio(ID_OPTION_PLAIN, "简洁", !starry), radio(ID_OPTION_STARRY, "星空", starry)}},
        MenuItem{},
    };
    for (const Toggle& toggle : kToggles) {
        items.push_back(MenuItem{toggle.id, toggle.text, true, (settings.*toggle.get)()});
        if (toggle.id == ID_OPTION_SOUND)
            items.push_back(MenuItem{});
    }
    return items;
}

bool ApplyTableOption(int id)
{
    const CAppServices& settings = AppServices();
    switch (id) {
    case ID_OPTION_FLAT:
    case ID_OPTION_COLOR:
        settings.SetColorTable(id == ID_OPTION_COLOR);
        return true;
    case ID_OPTION_PLAIN:
    case ID_OPTION_STARRY:
        settings.SetWeekTableBackground(id == ID_OPTION_STARRY ? 1 : 0);
        return true;
    default:
        break;
    }
    const auto toggle = std::find_if(std::begin(kToggles), std::end(kToggles), [id](const Toggle& t) { return t.id == id; });
    if (toggle == std::end(kToggles))
        return false;
    (settings.*toggle->set)(!(settings.*toggle->get)());
    return true;
}

int ToggledStyleOption() { return AppServices().GetColorTable() ? ID_OPTION_FLAT : ID_OPTION_COLOR; }
