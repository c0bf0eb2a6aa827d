#include "platform/gui/Font.h"
#include "platform/gui/QtText.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace zem::gui {

namespace {

constexpr const char* kSans = "WenQuanYi Micro Hei";
constexpr const char* kSansMono = "WenQuanYi Micro Hei Mono";
constexpr const char* kKai = "AR PL UKai CN";

struct Alias {
    const char* face;
    const char* family;
};

// The faces the program and its settings name, and the installed families that stand in for them.
constexpr Alias kAliases[] = {
    {"宋体", kSans},          {"SimSun", kSans},         {"新宋体", kSansMono},
    {"NSimSun", kSansMono},   {"微软雅黑", kSans},       {"Microsoft YaHei", kSans},
    {"黑体", kSans},          {"SimHei", kSans},         {"仿宋", kSans},
    {"仿宋_GB2312", kSans},   {"FangSong", kSans},       {"隶书", kSans},
    {"幼圆", kSans},          {"楷体", kKai},            {"楷体_GB2312", kKai},
    {"KaiTi", kKai},          {"华文楷体", kKai},        {"STKaiti", kKai},
    {"Tahoma", kSans},        {"Arial", kSans},          {"MS Sans Serif", kSans},
    {"MS Shell Dlg", kSans},  {"MS Shell Dlg 2", kSans}, {"Segoe UI", kSans},
    {"System", kSans},        {"Courier New", kSansMono},
};

std::atomic<bool>& AntialiasFlag()
{
    static std::atomic<bool> on{true};
    return on;
}

bool EqualsNoCaseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y))
            return false;
    }
    return true;
}

}  // namespace

QString ResolveFace(std::string_view faceName)
{
    for (const Alias& alias : kAliases) {
        if (EqualsNoCaseAscii(faceName, alias.face))
            return QString::fromUtf8(alias.family);
    }
    const QString face = ToQ(faceName);
    // A face the machine lacks would be substituted differently on every machine.
    if (!face.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
        QFontDatabase::hasFamily(face))
        return face;
    return QString::fromUtf8(kSans);
}

std::vector<std::string> InstalledAliasFaces()
{
    std::vector<std::string> faces;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return faces;
    for (const Alias& alias : kAliases) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(alias.family)))
            faces.emplace_back(alias.face);
    }
    return faces;
}

void SetTextAntialiasing(bool on)
{
    AntialiasFlag() = on;
}

bool TextAntialiasing()
{
    return AntialiasFlag();
}

int PointSizeToHeight(int tenthsOfPoint)
{
    // 96 pixels to the inch, 720 tenths of a point to the inch, rounded as the system rounds.
    const long long scaled = static_cast<long long>(std::abs(tenthsOfPoint)) * 96;
    return -static_cast<int>((scaled + 360) / 720);
}

Font::Font() : Font(LogFont{PointSizeToHeight(90), 400, false, false, "微软雅黑"}) {}

Font::Font(const LogFont& logFont) : logFont_(logFont)
{
    font_.setFamilies({ResolveFace(logFont.faceName)});
    font_.setStyleHint(QFont::SansSerif);
    int weight = logFont.weight <= 0 ? 400 : std::clamp(logFont.weight, 1, 1000);
    font_.setWeight(static_cast<QFont::Weight>(weight));
    font_.setItalic(logFont.italic);
    font_.setUnderline(logFont.underline);
    font_.setKerning(false);
    font_.setStyleStrategy(TextAntialiasing() ? QFont::PreferDefault : QFont::NoAntialias);

    int pixels = logFont.height;
    if (pixels == 0) {
        pixels = 12;
    } else if (pixels < 0) {
        pixels = -pixels;
    } else {
        // A cell height: scale the em size so that ascent plus descent comes out at that height.
        font_.setPixelSize(pixels);
        const int cell = QFontMetrics(font_).height();
        if (cell > 0)
            pixels = std::max(1, static_cast<int>(std::lround(double(pixels) * pixels / cell)));
    }
    font_.setPixelSize(std::max(1, pixels));
}

Font Font::FromPoints(int tenthsOfPoint, std::string_view faceName)
{
    return Font(LogFont{PointSizeToHeight(tenthsOfPoint), 400, false, false, std::string(faceName)});
}

int Font::LineHeight() const
{
    return QFontMetrics(font_).height();
}

int Font::TextWidth(std::string_view text) const
{
    return QFontMetrics(font_).horizontalAdvance(
        ToQ(text));
}

}  // namespace zem::gui
