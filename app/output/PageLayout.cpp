#include "app/output/PageLayout.h"

#include "table/UICore.h"

#include <algorithm>

namespace {

int KindIndex(int kind)
{
    return kind == 1 || kind == 2 ? kind : 0;
}

}  // namespace

CPageLayout::CPageLayout()
{
    CPageLayout::SetDefaults();
}

void CPageLayout::SetDefaults()
{
    // The Windows face name: the font alias table turns it into the installed KaiTi family.
    const std::string kai = "楷体";
    fonts[FONT_TITLE] = {CUICore::instance()->GetDefaultTableFontName(), 18, true, false};
    fonts[FONT_HEADER] = {kai, 9, true, false};
    fonts[FONT_SMALL] = {kai, 9, false, false};
    fonts[FONT_CONTENT] = {kai, 12, false, false};
    fonts[FONT_CONTENT2] = {kai, 9, false, false};
}

CWeekTablePageLayout::CWeekTablePageLayout()
{
    // The two standard banner rows: before the afternoon and before the night.
    blankLines[0].segment = 1;
    blankLines[1].segment = 2;
}

void CWeekTablePageLayout::SetDefaults()
{
    CPageLayout::SetDefaults();
    SheetType = 0;
    TitleFormat = "%NAME%";
    std::fill(std::begin(CourseInfoFormat), std::end(CourseInfoFormat), 0);
    ShowHeadTeacherName = false;
    ShowWeekCount = false;
    ShowDate = true;
    ShowSectionName = false;
    NormalPrint = true;
    TableLayout = 0;
    CellHeightInSingleMode = 18;
}

int CWeekTablePageLayout::GetCourseInfoFormat(int kind) const
{
    return CourseInfoFormat[KindIndex(kind)];
}

void CWeekTablePageLayout::SetCourseInfoFormat(int value, int kind)
{
    CourseInfoFormat[KindIndex(kind)] = value;
}

void CWeekTablePageLayout::SyncContentFonts()
{
    const CFontSpec& content = fonts[FONT_CONTENT];
    const int size = std::clamp(content.size, 6, 12);
    for (int slot : {FONT_HEADER, FONT_SMALL}) {
        fonts[slot].faceName = content.faceName;
        fonts[slot].size = size;
    }
}

CTablePageLayout::CTablePageLayout()
{
    ShowFullName = false;
}

int CTablePageLayout::GetCourseInfoFormat(int kind) const
{
    return CourseInfoFormat[KindIndex(kind)];
}

void CTablePageLayout::SetCourseInfoFormat(int value, int kind)
{
    CourseInfoFormat[KindIndex(kind)] = value;
}
