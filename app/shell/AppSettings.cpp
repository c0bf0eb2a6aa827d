// The program-wide settings of zem.ini: reading them when the context is made, and the setters.
#include "app/shell/AppContext.h"

#include "app/controls/GdiResources.h"
#include "app/shared/Paths.h"
#include "app/shared/SettingsFile.h"
#include "app/shared/Strings.h"
#include "base/Log.h"
#include "base/TableNode.h"
#include "platform/Hooks.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

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

// The keys of the context's own settings, read at start and written by their setters.
constexpr CSettingKey kSchoolNameKey{kCommonSection, "SchoolName"};
constexpr CSettingKey kLastPageKey{kCommonSection, "LastPage"};
constexpr CSettingKey kImportFormatKey{kCommonSection, "ImportFormat"};
constexpr CSettingKey kShowRoomNumberKey{kCommonSection, "ShowRoomNumber"};
constexpr CSettingKey kShowTeacherByGroupKey{kCommonSection, "ShowTeacherByGroup"};
constexpr CSettingKey kLastTaskFolderKey{kCommonSection, "LastTaskFolder"};
constexpr CSettingKey kLastOpenTaskFolderKey{kCommonSection, "LastOpenTaskFolder"};
constexpr CSettingKey kExportFolderKey{kExport, "Folder"};
constexpr CSettingKey kExportRangeKey{kExport, "ExportRange"};
constexpr CSettingKey kDriverKey{kExport, "Driver"};
constexpr CSettingKey kLUDriverKey{kExport, "LUDriver"};
constexpr CSettingKey kMergeContinuousKey{kWeekTable, "MergeContinuous"};
constexpr CSettingKey kAutoFillEmptyCellKey{kWeekTable, "AutoFillEmptyCell"};
constexpr CSettingKey kColorTableKey{kWeekTable, "ColorTable"};
constexpr CSettingKey kBackgroundKey{kWeekTable, "Background"};
constexpr CSettingKey kAutoShowDistributionKey{kWeekTable, "AutoShowDistribution"};
constexpr CSettingKey kPlaySoundInMovingKey{kWeekTable, "PlaySoundInMoving"};
constexpr CSettingKey kShowTagLockedKey{kWeekTable, "ShowTagLocked"};
constexpr CSettingKey kShowTagLinkedKey{kWeekTable, "ShowTagLinked"};
constexpr CSettingKey kShowTagDisabledKey{kWeekTable, "ShowTagDisabled"};

// The week-table layout's keys, in the order they are written.
using WeekLayout = CWeekTablePageLayout;
const std::pair<const char*, int WeekLayout::*> kWeekNumbers[] = {
    {"SheetType", &WeekLayout::SheetType},
    {"PaperType", &WeekLayout::paper},
    {"PaperOrientation", &WeekLayout::orientation},
    {"TableLayout", &WeekLayout::TableLayout},
    {"CellHeightInSingleMode", &WeekLayout::CellHeightInSingleMode},
};
struct FontKeys {
    int font;
    const char* sizeKey;
    const char* faceKey;
};
const FontKeys kWeekFonts[] = {
    {CPageLayout::FONT_TITLE, "FontTitleSize", "FontTitleName"},
    {CPageLayout::FONT_CONTENT, "FontContentSize", "FontContentName"},
    {CPageLayout::FONT_CONTENT2, "FontContentSize2", "FontContentName2"},
};
const std::pair<const char*, std::string WeekLayout::*> kWeekTitles[] = {
    {"TitleFormat", &WeekLayout::TitleFormat},
    {"TempTitleFormat", &WeekLayout::TempTitleFormat},
};
const std::pair<const char*, bool WeekLayout::*> kWeekFlags[] = {
    {"ShowFullName", &WeekLayout::ShowFullName},       {"ShowHeadTeacherName", &WeekLayout::ShowHeadTeacherName},
    {"ShowWeekCount", &WeekLayout::ShowWeekCount},     {"ShowDate", &WeekLayout::ShowDate},
    {"ShowSectionName", &WeekLayout::ShowSectionName}, {"NormalPrint", &WeekLayout::NormalPrint},
};
constexpr const char* kBlankLineKey = "BlankLine";

// The whole-school layout's keys.
constexpr const char* kSchoolTypeKey = "Type";
constexpr const char* kSchoolStyleKey = "Style";
constexpr const char* kSchoolFullNameKey = "ShowFullName";
constexpr const char* kSchoolSelfStudyKey = "ShowSS";

// The cell-text layout of table kind n: "CIF<n>", once "CourseInfoFormat<n>".
std::string CourseInfoKey(int kind)
{
    return "CIF" + std::to_string(kind);
}
std::string OldCourseInfoKey(int kind)
{
    return "CourseInfoFormat" + std::to_string(kind);
}

// The keys of table font n: "<n>_" and these, the second face's with "2" after them.
constexpr const char* kFaceKey = "Name";
constexpr const char* kSizeKey = "Size";
constexpr const char* kBoldKey = "Bold";
constexpr const char* kItalicKey = "Italic";

std::string FontKeyPrefix(int which)
{
    return std::to_string(which) + "_";
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

bool CAppContext::GetBool(const CSettingKey& key, bool current) const
{
    return GetBool(key.section, key.key, current);
}

int CAppContext::GetInt(const CSettingKey& key, int current) const
{
    return GetConfigInt(key.section, key.key, current);
}

std::string CAppContext::GetText(const CSettingKey& key, const std::string& current) const
{
    return GetConfig(key.section, key.key, current);
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
    m_account.SetSchoolName(GetText(kSchoolNameKey, m_account.GetSchoolName()));
    m_lastPage = GetInt(kLastPageKey, 1);

    ReadWeekTableSettings();
    ReadSchoolTableSettings();
    ReadTableFonts();

    m_exportFolder = GetMyDocumentsFolder();
    const std::string exportFolder = GetText(kExportFolderKey, "");
    if (!exportFolder.empty() && PathIsKind(exportFolder, true))
        m_exportFolder = WithSlash(exportFolder);
    m_exportRange = GetInt(kExportRangeKey, 0);
    m_driver = GetInt(kDriverKey, 0);
    if (m_driver < 0 || m_driver > 2)
        m_driver = 0;
    m_luDriver = GetInt(kLUDriverKey, 0);
    m_importFormat = GetInt(kImportFormatKey, 1);

    m_mergeContinuous = GetBool(kMergeContinuousKey, false);
    m_autoFillEmptyCell = GetBool(kAutoFillEmptyCellKey, false);
    m_colorTable = GetBool(kColorTableKey, false);
    m_background = GetInt(kBackgroundKey, 1);
    m_autoShowDistribution = GetBool(kAutoShowDistributionKey, true);
    m_playSoundInMoving = GetBool(kPlaySoundInMovingKey, true);
    m_showTagLocked = GetBool(kShowTagLockedKey, true);
    m_showTagLinked = GetBool(kShowTagLinkedKey, true);
    m_showTagDisabled = GetBool(kShowTagDisabledKey, true);
    m_showRoomNumber = GetBool(kShowRoomNumberKey, true);
    m_showTeacherByGroup = GetBool(kShowTeacherByGroupKey, true);
    const std::string lastTask = GetText(kLastTaskFolderKey, "");
    m_lastTaskFolder = lastTask.empty() ? lastTask : WithSlash(lastTask);
    const std::string lastOpen = GetText(kLastOpenTaskFolderKey, "");
    m_lastOpenTaskFolder = lastOpen.empty() ? lastOpen : WithSlash(lastOpen);

    SyncSchoolTableFont();
}

void CAppContext::ReadWeekTableSettings()
{
    CWeekTablePageLayout& l = m_weekLayout;
    for (const auto& [key, member] : kWeekNumbers)
        l.*member = GetConfigInt(kWeekTable, key, l.*member);
    for (const FontKeys& font : kWeekFonts)
        l.fonts[font.font].size = GetConfigInt(kWeekTable, font.sizeKey, l.fonts[font.font].size);
    for (const auto& [key, member] : kWeekTitles)
        l.*member =
            DecodeLineBreaks(GetConfig(kWeekTable, key, EncodeTitle(l.*member)), kLineBreakToken);
    for (int kind = 0; kind < 3; ++kind)
        l.CourseInfoFormat[kind] =
            GetIntWithOldKey(kWeekTable, CourseInfoKey(kind), OldCourseInfoKey(kind), l.CourseInfoFormat[kind]);
    for (const auto& [key, member] : kWeekFlags)
        l.*member = GetBool(kWeekTable, key, l.*member);

    for (const FontKeys& font : kWeekFonts) {
        const std::string face = GetConfig(kWeekTable, font.faceKey, "");
        if (!face.empty())
            l.fonts[font.font].faceName = face;
        else if (font.font == CPageLayout::FONT_CONTENT)
            l.contentFacePending = true;
    }
    l.SyncContentFonts();

    ReadBlankLines();
}

void CAppContext::ReadBlankLines()
{
    BlankLine* rows = m_weekLayout.blankLines;
    for (int k = 0; k < kMaxBlankLines; ++k) {
        const std::string value = GetConfig(kWeekTable, kBlankLineKey + std::to_string(k), "");
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
        if (segment >= zem::kSegmentCount)
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
    l.Type = GetConfigInt(kSchoolTable, kSchoolTypeKey, 0);
    l.Style = GetConfigInt(kSchoolTable, kSchoolStyleKey, 0);
    l.ShowFullName = GetBool(kSchoolTable, kSchoolFullNameKey, false);
    l.ShowSS = GetBool(kSchoolTable, kSchoolSelfStudyKey, false);
    // A text mode of a damaged file would name no text at all: it reads as the first one.
    for (int kind = 0; kind < 3; ++kind) {
        const int mode =
            GetIntWithOldKey(kSchoolTable, CourseInfoKey(kind), OldCourseInfoKey(kind), l.CourseInfoFormat[kind]);
        l.CourseInfoFormat[kind] = mode >= 0 && mode <= 5 ? mode : 0;
    }
}

void CAppContext::ReadTableFonts()
{
    for (int i = 0; i < 3; ++i) {
        CTableFontPair& font = m_tableFonts[i];
        const std::string p = FontKeyPrefix(i);
        for (const bool second : {false, true}) {
            CFontSpec& style = second ? font.second : font.main;
            const std::string tag = second ? "2" : "";
            const std::string face = GetConfig(kTableFont, p + kFaceKey + tag, "");
            if (!face.empty())
                style.faceName = face;
            if (!second)
                font.facePending = face.empty();
            style.size = GetConfigInt(kTableFont, p + kSizeKey + tag, style.size);
            style.bold = GetBool(kTableFont, p + kBoldKey + tag, style.bold);
            style.italic = GetBool(kTableFont, p + kItalicKey + tag, style.italic);
        }
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
    return m_driver == 0 && m_luDriver == 2 ? 2 : m_driver;
}

std::string CAppContext::GetOpenFolder() const
{
    return m_lastOpenTaskFolder.empty() ? GetDefaultTaskFolder() : m_lastOpenTaskFolder;
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

bool CAppContext::WriteKey(const CSettingKey& key, const std::string& value, bool tellUser)
{
    return WriteKeys({{key.section, key.key, value}}, tellUser);
}

bool CAppContext::SetExportFolder(const std::string& folder)
{
    m_exportFolder = WithSlash(folder);
    return WriteKey(kExportFolderKey, m_exportFolder);
}

bool CAppContext::SetExportRange(int range)
{
    m_exportRange = range;
    return WriteKey(kExportRangeKey, std::to_string(range));
}

bool CAppContext::SetDriver(int driver)
{
    m_driver = driver;
    return WriteKey(kDriverKey, std::to_string(driver));
}

bool CAppContext::SetLUDriver(int driver)
{
    m_luDriver = driver;
    return WriteKey(kLUDriverKey, std::to_string(driver));
}

bool CAppContext::SetImportFormat(int format)
{
    m_importFormat = format;
    return WriteKey(kImportFormatKey, std::to_string(format));
}

bool CAppContext::SetMergeContinuous(bool on)
{
    m_mergeContinuous = on;
    return WriteKey(kMergeContinuousKey, Bool(on));
}

bool CAppContext::SetAutoFillEmptyCell(bool on)
{
    m_autoFillEmptyCell = on;
    return WriteKey(kAutoFillEmptyCellKey, Bool(on));
}

bool CAppContext::SetColorTable(bool on)
{
    m_colorTable = on;
    return WriteKey(kColorTableKey, Bool(on));
}

bool CAppContext::SetBackground(int background)
{
    m_background = background;
    return WriteKey(kBackgroundKey, std::to_string(background));
}

bool CAppContext::SetAutoShowDistribution(bool on)
{
    m_autoShowDistribution = on;
    return WriteKey(kAutoShowDistributionKey, Bool(on));
}

bool CAppContext::SetPlaySoundInMoving(bool on)
{
    m_playSoundInMoving = on;
    return WriteKey(kPlaySoundInMovingKey, Bool(on));
}

bool CAppContext::SetShowTagLocked(bool on)
{
    m_showTagLocked = on;
    return WriteKey(kShowTagLockedKey, Bool(on));
}

bool CAppContext::SetShowTagLinked(bool on)
{
    m_showTagLinked = on;
    return WriteKey(kShowTagLinkedKey, Bool(on));
}

bool CAppContext::SetShowTagDisabled(bool on)
{
    m_showTagDisabled = on;
    return WriteKey(kShowTagDisabledKey, Bool(on));
}

bool CAppContext::SetShowRoomNumber(bool on)
{
    m_showRoomNumber = on;
    return WriteKey(kShowRoomNumberKey, Bool(on));
}

bool CAppContext::SetShowTeacherByGroup(bool on)
{
    m_showTeacherByGroup = on;
    return WriteKey(kShowTeacherByGroupKey, Bool(on));
}

bool CAppContext::SetLastTaskFolder(const std::string& folder)
{
    m_lastTaskFolder = WithSlash(folder);
    return WriteKey(kLastTaskFolderKey, m_lastTaskFolder);
}

bool CAppContext::SetLastOpenTaskFolder(const std::string& taskFile)
{
    m_lastOpenTaskFolder = WithSlash(CutLastPart(CutLastPart(taskFile)));
    return WriteKey(kLastOpenTaskFolderKey, m_lastOpenTaskFolder);
}

bool CAppContext::SetLastPage(int page)
{
    return WriteKey(kLastPageKey, std::to_string(page), false);
}

bool CAppContext::SaveWeekTableSettings()
{
    const CWeekTablePageLayout& l = m_weekLayout;
    std::vector<CSettingWrite> w;
    for (const auto& [key, member] : kWeekNumbers)
        w.push_back({kWeekTable, key, std::to_string(l.*member)});
    for (const FontKeys& font : kWeekFonts)
        w.push_back({kWeekTable, font.sizeKey, std::to_string(l.fonts[font.font].size)});
    for (const auto& [key, member] : kWeekTitles)
        w.push_back({kWeekTable, key, EncodeTitle(l.*member)});
    for (int kind = 0; kind < 3; ++kind)
        w.push_back({kWeekTable, CourseInfoKey(kind), std::to_string(l.CourseInfoFormat[kind])});
    for (const auto& [key, member] : kWeekFlags)
        w.push_back({kWeekTable, key, Bool(l.*member)});
    for (const FontKeys& font : kWeekFonts)
        w.push_back({kWeekTable, font.faceKey, l.fonts[font.font].faceName});
    for (int k = 0; k < kMaxBlankLines; ++k) {
        const BlankLine& row = l.blankLines[k];
        const std::string key = kBlankLineKey + std::to_string(k);
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
    std::vector<CSettingWrite> w = {{kSchoolTable, kSchoolTypeKey, std::to_string(l.Type)},
                                    {kSchoolTable, kSchoolStyleKey, std::to_string(l.Style)},
                                    {kSchoolTable, kSchoolFullNameKey, Bool(l.ShowFullName)},
                                    {kSchoolTable, kSchoolSelfStudyKey, Bool(l.ShowSS)}};
    for (int kind = 0; kind < 3; ++kind)
        w.push_back({kSchoolTable, CourseInfoKey(kind), std::to_string(l.CourseInfoFormat[kind])});
    return WriteKeys(w, true);
}

bool CAppContext::SaveTableFonts(int which)
{
    if (which < 0 || which > 2)
        return true;
    const CTableFontPair& font = m_tableFonts[which];
    const std::string p = FontKeyPrefix(which);
    std::vector<CSettingWrite> w;
    for (const bool second : {false, true}) {
        const CFontSpec& style = second ? font.second : font.main;
        const std::string tag = second ? "2" : "";
        w.push_back({kTableFont, p + kFaceKey + tag, style.faceName});
        w.push_back({kTableFont, p + kSizeKey + tag, std::to_string(style.size)});
        w.push_back({kTableFont, p + kBoldKey + tag, Bool(style.bold)});
        w.push_back({kTableFont, p + kItalicKey + tag, Bool(style.italic)});
    }
    return WriteKeys(w, true);
}

bool CAppContext::StoreTableFontRecord(int which, const CTableFontPair& fonts) const
{
    if (which < 0 || which > 2)
        return true;
    CTableFontPair& record = Self().m_tableFonts[which];
    record.main = fonts.main;
    record.second = fonts.second;
    record.facePending = false;  // a face the user chose is not replaced by the scanned one
    if (which == 2)
        Self().SyncSchoolTableFont();
    return Self().SaveTableFonts(which);
}

void CAppContext::ResetTableFontRecord(int which) const
{
    if (which < 0 || which > 2)
        return;
    Self().ResetTableFonts(which);
    if (which == 2)
        Self().SyncSchoolTableFont();
}
