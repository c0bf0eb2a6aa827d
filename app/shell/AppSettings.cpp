// The program-wide settings of zem.ini: reading them when the context is made, and the setters.
#include "app/shell/AppContext.h"

#include "app/controls/GdiResources.h"
#include "app/shared/Paths.h"
#include "app/shared/Strings.h"
#include "base/Log.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

constexpr const char* kCommon = "Common";
constexpr const char* kWeekTable = "WeekTable";
constexpr const char* kSchoolTable = "SchoolTable";
constexpr const char* kTableFont = "TableFont";
constexpr const char* kExport = "Export";
constexpr const char* kLineBreakToken = "|";
// A "|" typed into a title would read back as a line break: it is kept as the full-width bar,
// which looks the same and which both this program and older copies of the file read as itself.
constexpr const char* kTitleBar = "｜";

std::string EncodeTitle(const std::string& title)
{
    return EncodeLineBreaks(zem::ReplaceAll(title, kLineBreakToken, kTitleBar), kLineBreakToken);
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string Bool(bool on)
{
    return on ? "1" : "0";
}

// The text before its last '/', when one stands after the first character.
std::string CutLastPart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash != std::string::npos && slash > 0 ? path.substr(0, slash) : path;
}

bool IsOneDigit(const std::string& text)
{
    return text.size() == 1 && text[0] >= '0' && text[0] <= '9';
}

}  // namespace

// ---- Reading ----

bool CAppContext::GetBool(const std::string& section, const std::string& key, bool current) const
{
    return GetConfigInt(section, key, current ? 1 : 0) != 0;
}

int CAppContext::GetIntWithOldKey(const std::string& section, const std::string& key, const std::string& oldKey,
                                  int current) const
{
    const int value = GetConfigInt(section, key, -1);
    if (value != -1)
        return value;
    const int old = GetConfigInt(section, oldKey, -1);
    if (old == -1)
        return current;
    return old == 1 ? 3 : old == 2 ? 4 : old;
}

void CAppContext::ReadSettings()
{
    m_account.SetSchoolName(GetConfig(kCommon, "SchoolName", m_account.GetSchoolName()));
    m_nLastPage = GetConfigInt(kCommon, "LastPage", 1);

    ReadWeekTableSettings();
    ReadSchoolTableSettings();
    ReadTableFonts();

    m_strExportFolder = GetMyDocumentsFolder();
    const std::string exportFolder = GetConfig(kExport, "Folder", "");
    if (!exportFolder.empty() && PathIsKind(exportFolder, true))
        m_strExportFolder = WithSlash(exportFolder);
    m_nExportRange = GetConfigInt(kExport, "ExportRange", 0);
    m_nDriver = GetConfigInt(kExport, "Driver", 0);
    if (m_nDriver < 0 || m_nDriver > 2)
        m_nDriver = 0;
    m_nLUDriver = GetConfigInt(kExport, "LUDriver", 0);
    m_nImportFormat = GetConfigInt(kCommon, "ImportFormat", 1);

    m_bMergeContinuous = GetBool(kWeekTable, "MergeContinuous", false);
    m_bAutoFillEmptyCell = GetBool(kWeekTable, "AutoFillEmptyCell", false);
    m_bColorTable = GetBool(kWeekTable, "ColorTable", false);
    m_nBackground = GetConfigInt(kWeekTable, "Background", 1);
    m_bAutoShowDistribution = GetBool(kWeekTable, "AutoShowDistribution", true);
    m_bPlaySoundInMoving = GetBool(kWeekTable, "PlaySoundInMoving", true);
    m_bShowTagLocked = GetBool(kWeekTable, "ShowTagLocked", true);
    m_bShowTagLinked = GetBool(kWeekTable, "ShowTagLinked", true);
    m_bShowTagDisabled = GetBool(kWeekTable, "ShowTagDisabled", true);
    m_bShowRoomNumber = GetBool(kCommon, "ShowRoomNumber", true);
    m_bShowTeacherByGroup = GetBool(kCommon, "ShowTeacherByGroup", true);
    const std::string lastTask = GetConfig(kCommon, "LastTaskFolder", "");
    m_strLastTaskFolder = lastTask.empty() ? lastTask : WithSlash(lastTask);
    const std::string lastOpen = GetConfig(kCommon, "LastOpenTaskFolder", "");
    m_strLastOpenTaskFolder = lastOpen.empty() ? lastOpen : WithSlash(lastOpen);

    SyncSchoolTableFont();
}

void CAppContext::ReadWeekTableSettings()
{
    CWeekTablePageLayout& l = m_weekLayout;
    l.SheetType = GetConfigInt(kWeekTable, "SheetType", l.SheetType);
    l.paper = GetConfigInt(kWeekTable, "PaperType", l.paper);
    l.orientation = GetConfigInt(kWeekTable, "PaperOrientation", l.orientation);
    l.TableLayout = GetConfigInt(kWeekTable, "TableLayout", l.TableLayout);
    l.CellHeightInSingleMode = GetConfigInt(kWeekTable, "CellHeightInSingleMode", l.CellHeightInSingleMode);
    CFontSpec* fonts = l.fonts;
    fonts[CPageLayout::FONT_TITLE].size = GetConfigInt(kWeekTable, "FontTitleSize", fonts[CPageLayout::FONT_TITLE].size);
    fonts[CPageLayout::FONT_CONTENT].size =
        GetConfigInt(kWeekTable, "FontContentSize", fonts[CPageLayout::FONT_CONTENT].size);
    fonts[CPageLayout::FONT_CONTENT2].size =
        GetConfigInt(kWeekTable, "FontContentSize2", fonts[CPageLayout::FONT_CONTENT2].size);

    l.TitleFormat = DecodeLineBreaks(GetConfig(kWeekTable, "TitleFormat", EncodeTitle(l.TitleFormat)), kLineBreakToken);
    l.TempTitleFormat =
        DecodeLineBreaks(GetConfig(kWeekTable, "TempTitleFormat", EncodeTitle(l.TempTitleFormat)), kLineBreakToken);
    for (int kind = 0; kind < 3; ++kind) {
        const std::string n = std::to_string(kind);
        l.CourseInfoFormat[kind] =
            GetIntWithOldKey(kWeekTable, "CIF" + n, "CourseInfoFormat" + n, l.CourseInfoFormat[kind]);
    }
    l.ShowFullName = GetBool(kWeekTable, "ShowFullName", l.ShowFullName);
    l.ShowHeadTeacherName = GetBool(kWeekTable, "ShowHeadTeacherName", l.ShowHeadTeacherName);
    l.ShowWeekCount = GetBool(kWeekTable, "ShowWeekCount", l.ShowWeekCount);
    l.ShowDate = GetBool(kWeekTable, "ShowDate", l.ShowDate);
    l.ShowSectionName = GetBool(kWeekTable, "ShowSectionName", l.ShowSectionName);
    l.NormalPrint = GetBool(kWeekTable, "NormalPrint", l.NormalPrint);

    const std::string title = GetConfig(kWeekTable, "FontTitleName", "");
    if (!title.empty())
        fonts[CPageLayout::FONT_TITLE].faceName = title;
    const std::string content = GetConfig(kWeekTable, "FontContentName", "");
    if (!content.empty())
        fonts[CPageLayout::FONT_CONTENT].faceName = content;
    else
        l.contentFacePending = true;
    const std::string content2 = GetConfig(kWeekTable, "FontContentName2", "");
    if (!content2.empty())
        fonts[CPageLayout::FONT_CONTENT2].faceName = content2;
    l.SyncContentFonts();

    ReadBlankLines();
}

void CAppContext::ReadBlankLines()
{
    BlankLine* rows = m_weekLayout.blankLines;
    for (int k = 0; k < kMaxBlankLines; ++k) {
        const std::string value = GetConfig(kWeekTable, "BlankLine" + std::to_string(k), "");
        // "%d|%d|%d|%d|%s": type, segment, section, after flag, each one digit, then the text.
        if (value.size() < 8)
            return;
        std::vector<std::string> parts;
        SplitToArray(std::string_view(value).substr(0, 8), "|", parts, false);
        if (parts.size() <= 4 || !IsOneDigit(parts[0]) || !IsOneDigit(parts[1]) || !IsOneDigit(parts[2]) ||
            !IsOneDigit(parts[3]))
            return;
        const int type = parts[0][0] - '0';
        const int segment = parts[1][0] - '0';
        const int section = parts[2][0] - '0';
        const int after = parts[3][0] - '0';
        if (segment > 4)
            return;
        const std::string text = value.substr(8);
        if (type != 0) {
            for (int slot = 0; slot < kMaxBlankLines; ++slot) {
                if (rows[slot].segment != -1)
                    continue;
                rows[slot] = BlankLine{1, segment, section, after != 0 ? 1 : 0, text};
                if (slot + 1 < kMaxBlankLines)
                    rows[slot + 1].segment = -1;
                break;
            }
        } else {
            for (int slot = 0; slot < kMaxBlankLines && rows[slot].segment != -1; ++slot) {
                BlankLine& row = rows[slot];
                if (row.enabled == 0 && row.segment == segment && row.section == section &&
                    row.position == (after != 0 ? 1 : 0)) {
                    row.text = text;
                    break;
                }
            }
        }
    }
}

void CAppContext::ReadSchoolTableSettings()
{
    CTablePageLayout& l = m_schoolLayout;
    l.Type = GetConfigInt(kSchoolTable, "Type", 0);
    l.Style = GetConfigInt(kSchoolTable, "Style", 0);
    l.ShowFullName = GetBool(kSchoolTable, "ShowFullName", false);
    l.ShowSS = GetBool(kSchoolTable, "ShowSS", false);
    for (int kind = 0; kind < 3; ++kind) {
        const std::string n = std::to_string(kind);
        l.CourseInfoFormat[kind] =
            GetIntWithOldKey(kSchoolTable, "CIF" + n, "CourseInfoFormat" + n, l.CourseInfoFormat[kind]);
    }
}

void CAppContext::ReadTableFonts()
{
    for (int i = 0; i < 3; ++i) {
        CTableFontPair& font = m_tableFonts[i];
        const std::string p = std::to_string(i) + "_";
        const std::string name = GetConfig(kTableFont, p + "Name", "");
        if (!name.empty())
            font.main.faceName = name;
        font.facePending = name.empty();
        font.main.size = GetConfigInt(kTableFont, p + "Size", font.main.size);
        font.main.bold = GetBool(kTableFont, p + "Bold", font.main.bold);
        font.main.italic = GetBool(kTableFont, p + "Italic", font.main.italic);
        const std::string name2 = GetConfig(kTableFont, p + "Name2", "");
        if (!name2.empty())
            font.second.faceName = name2;
        font.second.size = GetConfigInt(kTableFont, p + "Size2", font.second.size);
        font.second.bold = GetBool(kTableFont, p + "Bold2", font.second.bold);
        font.second.italic = GetBool(kTableFont, p + "Italic2", font.second.italic);
    }
}

void CAppContext::ResetTableFonts(int which)
{
    const std::string kai = CGdiResources::GetInstance()->GetKaiFontName();
    for (int i = 0; i < 3; ++i) {
        if (which != 3 && which != i)
            continue;
        CTableFontPair& font = m_tableFonts[i];
        font.main = CFontSpec{kai, i == 0 ? 12 : 10, false, false};
        font.second = CFontSpec{kai, i == 0 ? 9 : 8, false, false};
    }
}

void CAppContext::SyncSchoolTableFont()
{
    m_schoolLayout.tableFont = m_tableFonts[2];
    m_schoolLayout.otherFont =
        CFontSpec{m_tableFonts[2].main.faceName, std::clamp(m_tableFonts[2].main.size, 6, 11), true, false};
}

void CAppContext::ApplyScannedFonts()
{
    const std::string kai = CGdiResources::GetInstance()->GetKaiFontName();
    for (CTableFontPair& font : m_tableFonts) {
        if (!font.facePending)
            continue;
        font.main.faceName = kai;
        font.second.faceName = kai;
        font.facePending = false;
    }
    if (m_weekLayout.contentFacePending) {
        m_weekLayout.fonts[CPageLayout::FONT_CONTENT].faceName = kai;
        m_weekLayout.fonts[CPageLayout::FONT_CONTENT2].faceName = kai;
        m_weekLayout.SyncContentFonts();
        m_weekLayout.contentFacePending = false;
    }
    SyncSchoolTableFont();
}

int CAppContext::GetSpreadsheetDriver() const
{
    return m_nDriver == 0 && m_nLUDriver == 2 ? 2 : m_nDriver;
}

std::string CAppContext::GetOpenFolder() const
{
    return m_strLastOpenTaskFolder.empty() ? GetDefaultTaskFolder() : m_strLastOpenTaskFolder;
}

// ---- Writing ----

bool CAppContext::WriteKeys(const std::vector<CSettingWrite>& writes, bool tellUser)
{
    std::string reason;
    if (WriteSettings(GetConfigFile(), writes, &reason))
        return true;
    CLog::inst()->Log("settings", "zem.ini not written (%s): %s", writes.empty() ? "" : writes.front().key.c_str(),
                      reason.c_str());
    if (tellUser)
        zem::ShowMessage(zem::Format("无法写入设置文件 %s", GetConfigFile().c_str()), "提示", zem::MessageIcon::Error);
    return false;
}

bool CAppContext::WriteKey(const std::string& section, const std::string& key, const std::string& value,
                           bool tellUser)
{
    return WriteKeys({{section, key, value}}, tellUser);
}

bool CAppContext::SetExportFolder(const std::string& folder)
{
    m_strExportFolder = WithSlash(folder);
    return WriteKey(kExport, "Folder", m_strExportFolder);
}

bool CAppContext::SetExportRange(int range)
{
    m_nExportRange = range;
    return WriteKey(kExport, "ExportRange", std::to_string(range));
}

bool CAppContext::SetDriver(int driver)
{
    m_nDriver = driver;
    return WriteKey(kExport, "Driver", std::to_string(driver));
}

bool CAppContext::SetLUDriver(int driver)
{
    m_nLUDriver = driver;
    return WriteKey(kExport, "LUDriver", std::to_string(driver));
}

bool CAppContext::SetImportFormat(int format)
{
    m_nImportFormat = format;
    return WriteKey(kCommon, "ImportFormat", std::to_string(format));
}

bool CAppContext::SetMergeContinuous(bool on)
{
    m_bMergeContinuous = on;
    return WriteKey(kWeekTable, "MergeContinuous", Bool(on));
}

bool CAppContext::SetAutoFillEmptyCell(bool on)
{
    m_bAutoFillEmptyCell = on;
    return WriteKey(kWeekTable, "AutoFillEmptyCell", Bool(on));
}

bool CAppContext::SetColorTable(bool on)
{
    m_bColorTable = on;
    return WriteKey(kWeekTable, "ColorTable", Bool(on));
}

bool CAppContext::SetBackground(int background)
{
    m_nBackground = background;
    return WriteKey(kWeekTable, "Background", std::to_string(background));
}

bool CAppContext::SetAutoShowDistribution(bool on)
{
    m_bAutoShowDistribution = on;
    return WriteKey(kWeekTable, "AutoShowDistribution", Bool(on));
}

bool CAppContext::SetPlaySoundInMoving(bool on)
{
    m_bPlaySoundInMoving = on;
    return WriteKey(kWeekTable, "PlaySoundInMoving", Bool(on));
}

bool CAppContext::SetShowTagLocked(bool on)
{
    m_bShowTagLocked = on;
    return WriteKey(kWeekTable, "ShowTagLocked", Bool(on));
}

bool CAppContext::SetShowTagLinked(bool on)
{
    m_bShowTagLinked = on;
    return WriteKey(kWeekTable, "ShowTagLinked", Bool(on));
}

bool CAppContext::SetShowTagDisabled(bool on)
{
    m_bShowTagDisabled = on;
    return WriteKey(kWeekTable, "ShowTagDisabled", Bool(on));
}

bool CAppContext::SetShowRoomNumber(bool on)
{
    m_bShowRoomNumber = on;
    return WriteKey(kCommon, "ShowRoomNumber", Bool(on));
}

bool CAppContext::SetShowTeacherByGroup(bool on)
{
    m_bShowTeacherByGroup = on;
    return WriteKey(kCommon, "ShowTeacherByGroup", Bool(on));
}

bool CAppContext::SetLastTaskFolder(const std::string& folder)
{
    m_strLastTaskFolder = WithSlash(folder);
    return WriteKey(kCommon, "LastTaskFolder", m_strLastTaskFolder);
}

bool CAppContext::SetLastOpenTaskFolder(const std::string& taskFile)
{
    m_strLastOpenTaskFolder = WithSlash(CutLastPart(CutLastPart(taskFile)));
    return WriteKey(kCommon, "LastOpenTaskFolder", m_strLastOpenTaskFolder);
}

bool CAppContext::SetLastPage(int page)
{
    return WriteKey(kCommon, "LastPage", std::to_string(page), false);
}

bool CAppContext::SaveWeekTableSettings()
{
    const CWeekTablePageLayout& l = m_weekLayout;
    const CFontSpec* fonts = l.fonts;
    std::vector<CSettingWrite> w = {
        {kWeekTable, "SheetType", std::to_string(l.SheetType)},
        {kWeekTable, "PaperType", std::to_string(l.paper)},
        {kWeekTable, "PaperOrientation", std::to_string(l.orientation)},
        {kWeekTable, "TableLayout", std::to_string(l.TableLayout)},
        {kWeekTable, "CellHeightInSingleMode", std::to_string(l.CellHeightInSingleMode)},
        {kWeekTable, "FontTitleSize", std::to_string(fonts[CPageLayout::FONT_TITLE].size)},
        {kWeekTable, "FontContentSize", std::to_string(fonts[CPageLayout::FONT_CONTENT].size)},
        {kWeekTable, "FontContentSize2", std::to_string(fonts[CPageLayout::FONT_CONTENT2].size)},
        {kWeekTable, "TitleFormat", EncodeTitle(l.TitleFormat)},
        {kWeekTable, "TempTitleFormat", EncodeTitle(l.TempTitleFormat)},
        {kWeekTable, "CIF0", std::to_string(l.CourseInfoFormat[0])},
        {kWeekTable, "CIF1", std::to_string(l.CourseInfoFormat[1])},
        {kWeekTable, "CIF2", std::to_string(l.CourseInfoFormat[2])},
        {kWeekTable, "ShowFullName", Bool(l.ShowFullName)},
        {kWeekTable, "ShowHeadTeacherName", Bool(l.ShowHeadTeacherName)},
        {kWeekTable, "ShowWeekCount", Bool(l.ShowWeekCount)},
        {kWeekTable, "ShowDate", Bool(l.ShowDate)},
        {kWeekTable, "ShowSectionName", Bool(l.ShowSectionName)},
        {kWeekTable, "NormalPrint", Bool(l.NormalPrint)},
        {kWeekTable, "FontTitleName", fonts[CPageLayout::FONT_TITLE].faceName},
        {kWeekTable, "FontContentName", fonts[CPageLayout::FONT_CONTENT].faceName},
        {kWeekTable, "FontContentName2", fonts[CPageLayout::FONT_CONTENT2].faceName},
    };
    for (int k = 0; k < kMaxBlankLines; ++k) {
        const BlankLine& row = l.blankLines[k];
        const std::string key = "BlankLine" + std::to_string(k);
        if (row.segment == -1) {
            w.push_back({kWeekTable, key, ""});
            break;
        }
        w.push_back({kWeekTable, key,
                     zem::Format("%d|%d|%d|%d|%s", row.enabled != 0 ? 1 : 0, row.segment, row.section,
                                 row.position != 0 ? 1 : 0, row.text.c_str())});
    }
    return WriteKeys(w, true);
}

bool CAppContext::SaveSchoolTableSettings()
{
    const CTablePageLayout& l = m_schoolLayout;
    return WriteKeys({{kSchoolTable, "Type", std::to_string(l.Type)},
                      {kSchoolTable, "Style", std::to_string(l.Style)},
                      {kSchoolTable, "ShowFullName", Bool(l.ShowFullName)},
                      {kSchoolTable, "ShowSS", Bool(l.ShowSS)},
                      {kSchoolTable, "CIF0", std::to_string(l.CourseInfoFormat[0])},
                      {kSchoolTable, "CIF1", std::to_string(l.CourseInfoFormat[1])},
                      {kSchoolTable, "CIF2", std::to_string(l.CourseInfoFormat[2])}},
                     true);
}

bool CAppContext::SaveTableFonts(int which)
{
    if (which < 0 || which > 2)
        return true;
    const CTableFontPair& font = m_tableFonts[which];
    const std::string p = std::to_string(which) + "_";
    return WriteKeys({{kTableFont, p + "Name", font.main.faceName},
                      {kTableFont, p + "Size", std::to_string(font.main.size)},
                      {kTableFont, p + "Bold", Bool(font.main.bold)},
                      {kTableFont, p + "Italic", Bool(font.main.italic)},
                      {kTableFont, p + "Name2", font.second.faceName},
                      {kTableFont, p + "Size2", std::to_string(font.second.size)},
                      {kTableFont, p + "Bold2", Bool(font.second.bold)},
                      {kTableFont, p + "Italic2", Bool(font.second.italic)}},
                     true);
}
