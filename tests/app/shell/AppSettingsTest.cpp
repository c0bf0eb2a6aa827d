// The program-wide settings of zem.ini as the application context reads and writes them.
#include "support/ShellTestSupport.h"
#include "app/controls/GdiResources.h"
#include "platform/IniFile.h"
#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"

#include <sys/stat.h>

#include <functional>

namespace {

using AppSettingsTest = ShellTest;

TEST_F(AppSettingsTest, MissingFileGivesTheDefaults)
{
    CAppContext* context = MakeContext();
    EXPECT_EQ(context->GetLastPage(), 1);
    EXPECT_EQ(context->GetAccountInfo().GetSchoolName(), "演示学校");
    EXPECT_EQ(context->GetImportFormat(), 1);
    EXPECT_TRUE(context->GetShowRoomNumber());
    EXPECT_TRUE(context->GetShowTeacherByGroup());
    EXPECT_TRUE(context->GetPlaySoundInMoving());
    EXPECT_FALSE(context->GetColorTable());
    EXPECT_EQ(context->GetBackground(), 1);
    EXPECT_EQ(context->GetSpreadsheetDriver(), 0);
    EXPECT_EQ(context->GetExportFolder(), Documents());
    EXPECT_EQ(context->GetLastTaskFolder(), "");
    EXPECT_EQ(context->GetWeekTableLayout().TitleFormat, "%NAME%");
    EXPECT_EQ(context->GetWeekTableLayout().TempTitleFormat, "%NAME%临时课表");
    EXPECT_EQ(context->GetTableFont(0).main.size, 12);
    EXPECT_EQ(context->GetTableFont(1).second.size, 8);
    EXPECT_FALSE(zem::FileExists(IniPath()));  // reading writes nothing
}

TEST_F(AppSettingsTest, ReadingRules)
{
    const std::string exportFolder = folder.path() + "导出";
    zem::MakeFolder(exportFolder);
    struct Case {
        const char* name;
        std::string ini;
        std::function<void(CAppContext&)> check;
    } cases[] = {
        {"an old cell format 2 reads as 4", "[WeekTable]\r\nCourseInfoFormat1=2\r\n",
         [](CAppContext& c) { EXPECT_EQ(c.GetWeekTableLayout().GetCourseInfoFormat(1), 4); }},
        {"the new key wins", "[WeekTable]\r\nCIF1=2\r\nCourseInfoFormat1=1\r\n",
         [](CAppContext& c) { EXPECT_EQ(c.GetWeekTableLayout().GetCourseInfoFormat(1), 2); }},
        {"a stored -1 counts as missing", "[WeekTable]\r\nCIF1=-1\r\nCourseInfoFormat1=1\r\n",
         [](CAppContext& c) { EXPECT_EQ(c.GetWeekTableLayout().GetCourseInfoFormat(1), 3); }},
        {"other old values stay", "[SchoolTable]\r\nCourseInfoFormat2=5\r\n",
         [](CAppContext& c) { EXPECT_EQ(c.GetSchoolTableLayout().GetCourseInfoFormat(2), 5); }},
        {"a driver out of range reads as 0", "[Export]\r\nDriver=5\r\n",
         [](CAppContext& c) { EXPECT_EQ(c.GetSpreadsheetDriver(), 0); }},
        {"the old driver choice 2 counts with Driver 0", "[Export]\r\nDriver=0\r\nLUDriver=2\r\n",
         [](CAppContext& c) { EXPECT_EQ(c.GetSpreadsheetDriver(), 2); }},
        {"a missing export folder is the documents folder", "[Export]\r\nFolder=/没有/这个/文件夹\r\n",
         [this](CAppContext& c) { EXPECT_EQ(c.GetExportFolder(), Documents()); }},
        {"an export folder that exists gets its slash", "[Export]\r\nFolder=" + exportFolder + "\r\n",
         [&](CAppContext& c) { EXPECT_EQ(c.GetExportFolder(), exportFolder + "/"); }},
        {"booleans are any non-zero value", "[WeekTable]\r\nColorTable=7\r\nPlaySoundInMoving=0\r\n",
         [](CAppContext& c) {
             EXPECT_TRUE(c.GetColorTable());
             EXPECT_FALSE(c.GetPlaySoundInMoving());
         }},
        {"title templates keep their line breaks as |", "[WeekTable]\r\nTitleFormat=%SCHOOL%|%NAME%\r\n",
         [](CAppContext& c) { EXPECT_EQ(c.GetWeekTableLayout().TitleFormat, "%SCHOOL%\r\n%NAME%"); }},
        {"an empty font name waits for the font scan", "[TableFont]\r\n0_Name=宋体\r\n0_Size=14\r\n1_Name=\r\n",
         [](CAppContext& c) {
             EXPECT_EQ(c.GetTableFont(0).main.faceName, "宋体");
             EXPECT_EQ(c.GetTableFont(0).main.size, 14);
             EXPECT_FALSE(c.GetTableFont(0).facePending);
             EXPECT_TRUE(c.GetTableFont(1).facePending);
             EXPECT_EQ(c.GetTableFont(1).main.faceName, CGdiResources::GetInstance()->GetKaiFontName());
         }},
        {"the whole-school layout takes table font 2, bold and at most 11 points",
         "[TableFont]\r\n2_Name=黑体\r\n2_Size=14\r\n",
         [](CAppContext& c) {
             EXPECT_EQ(c.GetSchoolTableLayout().tableFont.main.faceName, "黑体");
             EXPECT_EQ(c.GetSchoolTableLayout().otherFont.size, 11);
             EXPECT_TRUE(c.GetSchoolTableLayout().otherFont.bold);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAppContext* context = MakeContext(Gbk(c.ini));
        c.check(*context);
    }
}

TEST_F(AppSettingsTest, SavedLayoutsAndFontsReadBackAsTheyWere)
{
    CAppContext* context = MakeContext();
    CWeekTablePageLayout& week = context->GetWeekTableLayout();
    week.SheetType = 2;
    week.paper = 0;
    week.orientation = 1;
    week.TableLayout = 3;
    week.CellHeightInSingleMode = 0;
    week.fonts[CPageLayout::FONT_TITLE] = CFontSpec{"黑体", 20, false, false};
    week.fonts[CPageLayout::FONT_CONTENT] = CFontSpec{"宋体", 11, false, false};
    week.fonts[CPageLayout::FONT_CONTENT2] = CFontSpec{"仿宋", 7, false, false};
    week.TitleFormat = "%SCHOOL%\r\n%NAME%";
    week.TempTitleFormat = "临时 %NAME%";
    for (int kind = 0; kind < 3; ++kind)
        week.SetCourseInfoFormat(kind + 2, kind);
    week.ShowFullName = !week.ShowFullName;
    week.ShowHeadTeacherName = !week.ShowHeadTeacherName;
    week.ShowWeekCount = !week.ShowWeekCount;
    week.ShowDate = !week.ShowDate;
    week.ShowSectionName = !week.ShowSectionName;
    week.NormalPrint = !week.NormalPrint;
    CTablePageLayout& school = context->GetSchoolTableLayout();
    school.Type = 1;
    school.Style = 2;
    school.ShowFullName = true;
    school.ShowSS = true;
    for (int kind = 0; kind < 3; ++kind)
        school.SetCourseInfoFormat(5 - kind, kind);
    context->GetTableFont(2) = CTableFontPair{{"宋体", 14, true, false}, {"楷体", 9, false, true}, false};
    ASSERT_TRUE(context->SaveWeekTableSettings());
    ASSERT_TRUE(context->SaveSchoolTableSettings());
    ASSERT_TRUE(context->SaveTableFonts(2));
    const CWeekTablePageLayout saved = week;
    const CTablePageLayout savedSchool = school;

    CAppContext* read = MakeContext();
    const CWeekTablePageLayout& w = read->GetWeekTableLayout();
    EXPECT_EQ(w.SheetType, saved.SheetType);
    EXPECT_EQ(w.paper, saved.paper);
    EXPECT_EQ(w.orientation, saved.orientation);
    EXPECT_EQ(w.TableLayout, saved.TableLayout);
    EXPECT_EQ(w.CellHeightInSingleMode, saved.CellHeightInSingleMode);
    for (const int font : {CPageLayout::FONT_TITLE, CPageLayout::FONT_CONTENT, CPageLayout::FONT_CONTENT2}) {
        EXPECT_EQ(w.fonts[font].faceName, saved.fonts[font].faceName) << font;
        EXPECT_EQ(w.fonts[font].size, saved.fonts[font].size) << font;
    }
    EXPECT_EQ(w.TitleFormat, saved.TitleFormat);
    EXPECT_EQ(w.TempTitleFormat, saved.TempTitleFormat);
    for (int kind = 0; kind < 3; ++kind) {
        EXPECT_EQ(w.GetCourseInfoFormat(kind), saved.GetCourseInfoFormat(kind)) << kind;
        EXPECT_EQ(read->GetSchoolTableLayout().GetCourseInfoFormat(kind), savedSchool.GetCourseInfoFormat(kind))
            << kind;
    }
    EXPECT_EQ(w.ShowFullName, saved.ShowFullName);
    EXPECT_EQ(w.ShowHeadTeacherName, saved.ShowHeadTeacherName);
    EXPECT_EQ(w.ShowWeekCount, saved.ShowWeekCount);
    EXPECT_EQ(w.ShowDate, saved.ShowDate);
    EXPECT_EQ(w.ShowSectionName, saved.ShowSectionName);
    EXPECT_EQ(w.NormalPrint, saved.NormalPrint);
    const CTablePageLayout& s = read->GetSchoolTableLayout();
    EXPECT_EQ(s.Type, 1);
    EXPECT_EQ(s.Style, 2);
    EXPECT_TRUE(s.ShowFullName);
    EXPECT_TRUE(s.ShowSS);
    const CTableFontPair& font = read->GetTableFont(2);
    EXPECT_EQ(font.main.faceName, "宋体");
    EXPECT_EQ(font.main.size, 14);
    EXPECT_TRUE(font.main.bold);
    EXPECT_FALSE(font.main.italic);
    EXPECT_EQ(font.second.faceName, "楷体");
    EXPECT_EQ(font.second.size, 9);
    EXPECT_FALSE(font.second.bold);
    EXPECT_TRUE(font.second.italic);
}

TEST_F(AppSettingsTest, BannerRowsAreReadUpToTheFirstMalformedValue)
{
    CAppContext* context = MakeContext(Gbk("[WeekTable]\r\n"
                                           "BlankLine0=0|1|0|0|午休\r\n"
                                           "BlankLine1=1|0|3|1|眼保健操\r\n"
                                           "BlankLine2=1|2|0|0|自习\r\n"
                                           "BlankLine3=1|9|0|0|坏的节段\r\n"
                                           "BlankLine4=1|0|1|0|不再读取\r\n"));
    const BlankLine* rows = context->GetWeekTableLayout().blankLines;
    EXPECT_EQ(rows[0].text, "午休");  // the standard row before the afternoon
    EXPECT_EQ(rows[1].text, "");
    EXPECT_EQ(rows[2].segment, 0);
    EXPECT_EQ(rows[2].section, 3);
    EXPECT_EQ(rows[2].position, 1);
    EXPECT_EQ(rows[2].text, "眼保健操");
    EXPECT_EQ(rows[3].text, "自习");
    EXPECT_EQ(rows[4].segment, -1);

    // Written back: each row in use, then one empty key, then nothing.
    ASSERT_TRUE(context->SaveWeekTableSettings());
    const std::string ini = IniPath();
    EXPECT_EQ(zem::GetProfileString(ini, "WeekTable", "BlankLine1"), "0|2|0|0|");
    EXPECT_EQ(zem::GetProfileString(ini, "WeekTable", "BlankLine2"), "1|0|3|1|眼保健操");
    EXPECT_EQ(zem::GetProfileString(ini, "WeekTable", "BlankLine4"), "");
    EXPECT_EQ(zem::GetProfileString(ini, "WeekTable", "CIF0"), "0");

    struct Bad {
        const char* value;
    } bad[] = {{"1|0|3"}, {"x|0|0|0|a"}, {"1|5|0|0|a"}, {"10|0|0|0"}};
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.value);
        context = MakeContext(Gbk(std::string("[WeekTable]\r\nBlankLine0=") + b.value + "\r\nBlankLine1=1|0|0|0|x\r\n"));
        EXPECT_EQ(context->GetWeekTableLayout().blankLines[2].segment, -1);
    }
}

TEST_F(AppSettingsTest, EverySetterIsOnDiskRightAfterTheCall)
{
    CAppContext* context = MakeContext();
    struct Case {
        std::function<bool(CAppContext&)> set;
        const char* section;
        const char* key;
        std::string value;
    } cases[] = {
        {[](CAppContext& c) { return c.SetExportFolder("/e/导出"); }, "Export", "Folder", "/e/导出/"},
        {[](CAppContext& c) { return c.SetExportFolder("/e/导出/"); }, "Export", "Folder", "/e/导出/"},
        {[](CAppContext& c) { return c.SetExportRange(2); }, "Export", "ExportRange", "2"},
        {[](CAppContext& c) { return c.SetDriver(1); }, "Export", "Driver", "1"},
        {[](CAppContext& c) { return c.SetLUDriver(2); }, "Export", "LUDriver", "2"},
        // The exporter stores the engine through the services, which must reach the file too.
        {[](CAppContext& c) {
             static_cast<const CAppServices&>(c).SetLUDriver(3);
             return static_cast<const CAppServices&>(c).GetLUDriver() == 3;
         },
         "Export", "LUDriver", "3"},
        {[](CAppContext& c) { return c.SetImportFormat(0); }, "Common", "ImportFormat", "0"},
        {[](CAppContext& c) { return c.SetMergeContinuous(true); }, "WeekTable", "MergeContinuous", "1"},
        {[](CAppContext& c) { return c.SetAutoFillEmptyCell(true); }, "WeekTable", "AutoFillEmptyCell", "1"},
        {[](CAppContext& c) { return c.SetColorTable(true); }, "WeekTable", "ColorTable", "1"},
        {[](CAppContext& c) { return c.SetBackground(0); }, "WeekTable", "Background", "0"},
        {[](CAppContext& c) { return c.SetAutoShowDistribution(false); }, "WeekTable", "AutoShowDistribution", "0"},
        {[](CAppContext& c) { return c.SetPlaySoundInMoving(false); }, "WeekTable", "PlaySoundInMoving", "0"},
        {[](CAppContext& c) { return c.SetShowTagLocked(false); }, "WeekTable", "ShowTagLocked", "0"},
        {[](CAppContext& c) { return c.SetShowTagLinked(false); }, "WeekTable", "ShowTagLinked", "0"},
        {[](CAppContext& c) { return c.SetShowTagDisabled(false); }, "WeekTable", "ShowTagDisabled", "0"},
        {[](CAppContext& c) { return c.SetShowRoomNumber(false); }, "Common", "ShowRoomNumber", "0"},
        {[](CAppContext& c) { return c.SetShowTeacherByGroup(false); }, "Common", "ShowTeacherByGroup", "0"},
        {[](CAppContext& c) { return c.SetLastTaskFolder("/排课"); }, "Common", "LastTaskFolder", "/排课/"},
        {[](CAppContext& c) { return c.SetLastOpenTaskFolder("/排课/任务A/任务A.zem"); }, "Common",
         "LastOpenTaskFolder", "/排课/"},
        {[](CAppContext& c) { return c.SetLastPage(4); }, "Common", "LastPage", "4"},
        {[](CAppContext& c) {
             c.GetTableFont(1).main.faceName = "黑体";
             return c.SaveTableFonts(1);
         },
         "TableFont", "1_Name", "黑体"},
        {[](CAppContext& c) {
             c.GetSchoolTableLayout().Style = 2;
             return c.SaveSchoolTableSettings();
         },
         "SchoolTable", "Style", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        ASSERT_TRUE(c.set(*context));
        EXPECT_EQ(zem::GetProfileString(IniPath(), c.section, c.key), c.value);
    }
    // Read back by a new context.
    context = MakeContext();
    EXPECT_EQ(context->GetLastPage(), 4);
    EXPECT_EQ(context->GetLastTaskFolder(), "/排课/");
    EXPECT_FALSE(context->GetShowRoomNumber());
    EXPECT_EQ(context->GetTableFont(1).main.faceName, "黑体");
    // Another font index writes nothing.
    EXPECT_TRUE(context->SaveTableFonts(3));
    EXPECT_EQ(zem::GetProfileString(IniPath(), "TableFont", "3_Name", "none"), "none");
}

TEST_F(AppSettingsTest, EveryStoredTextComesBackWithItsBars)
{
    // The file keeps a title's line breaks as "|": a bar the user typed must not become one.
    const std::string exportFolder = folder.path() + "导出|2024";
    zem::MakeFolder(exportFolder);
    struct Case {
        const char* name;
        std::function<bool(CAppContext&)> save;
        std::function<std::string(CAppContext&)> read;
        std::string expected;
    } cases[] = {
        {"title",
         [](CAppContext& c) {
             c.GetWeekTableLayout().TitleFormat = "%SCHOOL%|高一\r\n%NAME%";
             return c.SaveWeekTableSettings();
         },
         [](CAppContext& c) { return c.GetWeekTableLayout().TitleFormat; }, "%SCHOOL%｜高一\r\n%NAME%"},
        {"temporary title",
         [](CAppContext& c) {
             c.GetWeekTableLayout().TempTitleFormat = "%NAME%|临时";
             return c.SaveWeekTableSettings();
         },
         [](CAppContext& c) { return c.GetWeekTableLayout().TempTitleFormat; }, "%NAME%｜临时"},
        {"banner row",
         [](CAppContext& c) {
             c.GetWeekTableLayout().blankLines[0].text = "午休|眼保健操";
             return c.SaveWeekTableSettings();
         },
         [](CAppContext& c) { return c.GetWeekTableLayout().blankLines[0].text; }, "午休|眼保健操"},
        {"week table font",
         [](CAppContext& c) {
             c.GetWeekTableLayout().fonts[CPageLayout::FONT_TITLE].faceName = "楷|体";
             return c.SaveWeekTableSettings();
         },
         [](CAppContext& c) { return c.GetWeekTableLayout().fonts[CPageLayout::FONT_TITLE].faceName; }, "楷|体"},
        {"table font",
         [](CAppContext& c) {
             c.GetTableFont(0).second.faceName = "黑|体";
             return c.SaveTableFonts(0);
         },
         [](CAppContext& c) { return c.GetTableFont(0).second.faceName; }, "黑|体"},
        {"export folder", [&](CAppContext& c) { return c.SetExportFolder(exportFolder); },
         [](CAppContext& c) { return c.GetExportFolder(); }, exportFolder + "/"},
        {"task folder", [](CAppContext& c) { return c.SetLastTaskFolder("/排课|2024"); },
         [](CAppContext& c) { return c.GetLastTaskFolder(); }, "/排课|2024/"},
        {"open folder", [](CAppContext& c) { return c.SetLastOpenTaskFolder("/排课|A/任务/任务.zem"); },
         [](CAppContext& c) { return c.GetOpenFolder(); }, "/排课|A/"},
        {"recent task", [](CAppContext& c) { return c.GetRecentTasks().Add("/排课|A/任务/任务.zem"); },
         [](CAppContext& c) { return c.GetRecentTasks().GetAt(0); }, "/排课|A/任务/任务.zem"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.save(*MakeContext()));
        EXPECT_EQ(c.read(*MakeContext()), c.expected);
    }
    // The line breaks of a title stay "|" in the file, as older copies of it read them.
    EXPECT_EQ(zem::GetProfileString(IniPath(), "WeekTable", "TitleFormat"), "%SCHOOL%｜高一|%NAME%");
}

TEST_F(AppSettingsTest, AFailedWriteIsSaidAndNeverReportedAsDone)
{
    WriteRaw(IniPath(), "[Common]\r\nLastPage=2\r\n");
    ASSERT_EQ(::chmod(IniPath().c_str(), 0444), 0);
    CAppContext* context = MakeContext();
    MessageRecorder messages;
    EXPECT_FALSE(context->SetColorTable(true));
    EXPECT_FALSE(context->SetExportFolder(folder.path()));
    ASSERT_EQ(messages.Texts(), (std::vector<std::string>(2, "无法写入设置文件 " + IniPath())));
    for (const std::string& text : messages.Texts())
        EXPECT_EQ(text.find("成功"), std::string::npos);
    EXPECT_EQ(ReadRaw(IniPath()), "[Common]\r\nLastPage=2\r\n");
    // Written at close: logged only, nobody to tell.
    EXPECT_FALSE(context->SetLastPage(3));
    EXPECT_EQ(messages.messages.size(), 2u);
    ::chmod(IniPath().c_str(), 0644);
}

TEST_F(AppSettingsTest, ScannedFontsFillTheFacesThatWait)
{
    CAppContext* context = MakeContext(Gbk("[TableFont]\r\n0_Name=宋体\r\n"));
    context->GetTableFont(1).main.faceName = "占位";
    context->ApplyScannedFonts();
    EXPECT_EQ(context->GetTableFont(0).main.faceName, "宋体");
    EXPECT_EQ(context->GetTableFont(1).main.faceName, CGdiResources::GetInstance()->GetKaiFontName());
    EXPECT_FALSE(context->GetTableFont(1).facePending);
    EXPECT_FALSE(context->GetWeekTableLayout().contentFacePending);
}

}  // namespace
