#include "app/controls/GdiResources.h"

#include "app/controls/Bitmaps.h"
#include "app/shared/Strings.h"
#include "platform/Text.h"
#include "table/UICore.h"
#include "table/WeekTable.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

CGdiResources*& TheInstance()
{
    static CGdiResources* instance = nullptr;
    return instance;
}

zem::gui::Font PointFont(int points, const std::string& face, bool bold)
{
    return zem::gui::Font(zem::LogFont{zem::gui::PointSizeToHeight(points * 10), bold ? 700 : 400, false, false, face});
}

constexpr int kSharedBitmaps[] = {131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 142, 143, 144, 145, 146, 293};

}  // namespace

CGdiResources* CGdiResources::GetInstance()
{
    CGdiResources*& instance = TheInstance();
    if (!instance)
        instance = new CGdiResources;
    return instance;
}

void CGdiResources::DestroyInstance()
{
    CGdiResources*& instance = TheInstance();
    delete instance;
    instance = nullptr;
}

CGdiResources::CGdiResources()
    : m_arrowCursor(Qt::ArrowCursor),
      m_handCursor(Qt::PointingHandCursor),
      DefaultFont(zem::gui::Font::FromPoints(CUICore::instance()->GetDefaultFontSize(),
                                             CUICore::instance()->GetDefaultFontName())),
      TitleFont(PointFont(14, "楷体", true)),
      NormalFont(PointFont(11, "微软雅黑", false)),
      BoldFont(PointFont(12, "微软雅黑", true)),
      HeaderFont(PointFont(12, "微软雅黑", true))
{
    for (const int id : kSharedBitmaps)
        m_bitmaps[id] = LoadBitmapResource(id);
}

CGdiResources::~CGdiResources() = default;

const QImage* CGdiResources::GetBitmap(int id) const
{
    const auto it = m_bitmaps.find(id);
    return it == m_bitmaps.end() || it->second.isNull() ? nullptr : &it->second;
}

void CGdiResources::StartFontScan(zem::MessageTarget* notify)
{
    m_notify = notify;
    if (m_scanDone || m_scanStarted)
        return;
    m_scanStarted = true;
    // The font database belongs to the GUI thread: read it there once the event loop runs, so that
    // the main window comes up first.
    m_scanContext = std::make_unique<QObject>();
    QTimer::singleShot(0, m_scanContext.get(), [this] { ScanFonts(); });
}

void CGdiResources::ScanFonts()
{
    m_faceList = ListInstalledFaces();
    m_scanDone = true;
    zem::PostMessage(m_notify, WM_FONTS_READY, 0, 0);
}

void CGdiResources::RefreshFonts()
{
    const std::string ui = PickInstalledFontFace(m_faceList, m_uiFontName + ",楷体,隶书", "");
    if (ui != m_uiFontName)
        m_uiFontName = ui;
    const std::string kai = PickInstalledFontFace(m_faceList, m_kaiFontName + ",楷体_GB2312,华文楷体", "楷");
    if (kai != m_kaiFontName) {
        m_kaiFontName = kai;
        TitleFont = PointFont(14, m_kaiFontName, true);
    }
}

std::vector<std::string> ListInstalledFaces()
{
    std::vector<std::string> enumerated;
    for (const QString& family : QFontDatabase::families())
        enumerated.push_back(family.toStdString());
    // The Windows names the settings use, for the faces that stand in for them here.
    for (const std::string& face : zem::gui::InstalledAliasFaces())
        enumerated.push_back(face);
    return BuildFaceList(enumerated);
}

std::vector<std::string> BuildFaceList(const std::vector<std::string>& enumerated)
{
    std::vector<std::string> faces;
    for (const std::string& face : enumerated)
        if (!face.empty() && face[0] != '@')
            StringArrayAddUnique(faces, face);
    return faces;
}

std::string PickInstalledFontFace(const std::vector<std::string>& faceList, const std::string& candidates,
                                  const std::string& hint)
{
    std::vector<std::string> names;
    SplitToArray(candidates, ",", names, true);
    for (const std::string& name : names)
        if (StringArrayContainsNoCase(faceList, name))
            return name;
    for (auto it = faceList.rbegin(); it != faceList.rend(); ++it)
        if (it->find(hint) != std::string::npos)
            return *it;
    return names.empty() ? "微软雅黑" : names.front();
}

void MakeLogFont(const CFontSpec* fontSpec, LOGFONTA* logFont)
{
    if (!fontSpec || !logFont)
        return;
    *logFont = LOGFONTA{};
    // The face field holds 31 bytes of the code page and a terminating zero.
    logFont->faceName = std::string(zem::GbkPrefix(fontSpec->faceName, 31));
    logFont->height = zem::gui::PointSizeToHeight(fontSpec->size * 10);
    logFont->weight = fontSpec->bold ? 700 : 400;
    logFont->italic = fontSpec->italic;
}

void ApplyTableFonts(const CTableFontPair* setting, CTableWnd* grid, int maxPoints, bool boldThird)
{
    if (!setting || !grid)
        return;
    LOGFONTA first, second, third;
    MakeLogFont(&setting->main, &first);
    MakeLogFont(&setting->second, &second);
    CFontSpec small = setting->main;
    small.size = std::min(small.size, maxPoints);
    small.bold = boldThird;
    small.italic = false;
    MakeLogFont(&small, &third);
    grid->SetFont(&first, &second, &third);
    grid->Refresh();
}

void SetFontOnChildren(QWidget* window, const zem::gui::Font& font)
{
    if (!window)
        return;
    for (QWidget* child : window->findChildren<QWidget*>())
        child->setFont(font.GetQFont());
    window->setFont(font.GetQFont());
}
