#include "app/controls/Bitmaps.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <map>
#include <mutex>

namespace {

QImage Blank(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QImage Gradient(int width, int height, const QColor& top, const QColor& bottom)
{
    QImage image = Blank(width, height, top);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(image.rect(), gradient);
    return image;
}

// A one-pixel-wide gradient strip with one row in a colour of its own (a highlight or a rule).
QImage RuledStrip(int height, const QColor& top, const QColor& bottom, int row, const QColor& rule)
{
    QImage image = Gradient(1, height, top, bottom);
    image.setPixel(0, row, rule.rgb());
    return image;
}

// The slate blue of the program's bands and bars.
const QColor kSlate(59, 72, 91);
const QColor kSlateLight(84, 102, 128);
const QColor kPanelLine(213, 221, 236);

QImage PanelSide()
{
    QImage image = Blank(5, 32, QColor(240, 240, 240));
    QPainter p(&image);
    p.fillRect(0, 0, 2, 32, kPanelLine);
    return image;
}

QImage PanelBottom()
{
    QImage image = Blank(32, 5, QColor(240, 240, 240));
    QPainter p(&image);
    p.fillRect(0, 3, 32, 2, kPanelLine);
    return image;
}

QImage HeaderBack()
{
    return Gradient(1, 28, kSlateLight, kSlate);
}

// A tab cap of 9 x 28 on the header background: the tab's face from y = 4 down, its top corner
// rounded on the outer side.
QImage TabCap(bool left, const QColor& top, const QColor& bottom, const QColor& rim)
{
    QImage image = HeaderBack().scaled(9, 28);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    if (left) {
        face.moveTo(9, 4);
        face.lineTo(6, 4);
        face.quadTo(1, 4, 1, 9);
        face.lineTo(1, 28);
        face.lineTo(9, 28);
    } else {
        face.moveTo(0, 4);
        face.lineTo(3, 4);
        face.quadTo(8, 4, 8, 9);
        face.lineTo(8, 28);
        face.lineTo(0, 28);
    }
    face.closeSubpath();
    QLinearGradient gradient(0, 4, 0, 28);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.setPen(QPen(rim, 1));
    p.setBrush(gradient);
    p.drawPath(face);
    return image;
}

QImage TabMiddle(const QColor& top, const QColor& bottom, const QColor& rim)
{
    QImage image = HeaderBack();
    QPainter p(&image);
    QLinearGradient gradient(0, 4, 0, 28);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(0, 4, 1, 24, gradient);
    p.fillRect(0, 4, 1, 1, rim);
    return image;
}

const QColor kTabTop(112, 130, 156), kTabBottom(84, 102, 128), kTabRim(48, 58, 74);
const QColor kSelTop(255, 255, 255), kSelBottom(250, 250, 250), kSelRim(190, 200, 215);

QImage TabStripBack()
{
    return RuledStrip(29, QColor(250, 250, 250), QColor(235, 238, 243), 28, kPanelLine);
}

// Three list rows with bullets, on white (the mask colour).
QImage PickerButton()
{
    QImage image = Blank(16, 16, Qt::white);
    QPainter p(&image);
    for (int row = 0; row < 3; ++row) {
        const int y = 3 + row * 4;
        p.fillRect(2, y, 2, 2, QColor(59, 72, 91));
        p.fillRect(6, y, 8, 2, QColor(112, 130, 156));
    }
    return image;
}

QImage ToolbarMiddle()
{
    return RuledStrip(53, QColor(78, 95, 120), QColor(44, 54, 70), 0, QColor(130, 146, 170));
}

QImage ToolbarCap(bool left)
{
    QImage image = Blank(13, 53, QColor(250, 250, 250));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 53);
    gradient.setColorAt(0, QColor(78, 95, 120));
    gradient.setColorAt(1, QColor(44, 54, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    // The bar's rounded end, continued by the middle on the inner side.
    p.drawRoundedRect(left ? QRectF(0, 0, 26, 53) : QRectF(-13, 0, 26, 53), 6, 6);
    return image;
}

QImage ListHeader()
{
    return RuledStrip(24, QColor(250, 250, 250), QColor(228, 232, 238), 23, QColor(190, 200, 215));
}

struct Registry {
    std::mutex mutex;
    std::map<int, QImage> drawn;  // each bitmap is drawn once
    std::map<int, BitmapFactory> factories = {
        {IDB_PANEL_LEFT, PanelSide},
        {IDB_PANEL_RIGHT, [] { return PanelSide().mirrored(true, false); }},
        {IDB_PANEL_BOTTOM, PanelBottom},
        {IDB_HEADER_BACK, HeaderBack},
        {IDB_TAB_LEFT, [] { return TabCap(true, kTabTop, kTabBottom, kTabRim); }},
        {IDB_TAB_MIDDLE, [] { return TabMiddle(kTabTop, kTabBottom, kTabRim); }},
        {IDB_TAB_RIGHT, [] { return TabCap(false, kTabTop, kTabBottom, kTabRim); }},
        {IDB_TAB_SEL_LEFT, [] { return TabCap(true, kSelTop, kSelBottom, kSelRim); }},
        {IDB_TAB_SEL_MIDDLE, [] { return TabMiddle(kSelTop, kSelBottom, kSelRim); }},
        {IDB_TAB_SEL_RIGHT, [] { return TabCap(false, kSelTop, kSelBottom, kSelRim); }},
        {IDB_TABSTRIP_BACK, TabStripBack},
        {IDB_PICKER_BUTTON, PickerButton},
        {IDB_TOOLBAR_MIDDLE, ToolbarMiddle},
        {IDB_TOOLBAR_LEFT, [] { return ToolbarCap(true); }},
        {IDB_TOOLBAR_RIGHT, [] { return ToolbarCap(false); }},
        {IDB_LIST_HEADER, ListHeader},
    };
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

}  // namespace

QImage LoadBitmapResource(int id)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (const auto drawn = registry.drawn.find(id); drawn != registry.drawn.end())
        return drawn->second;
    const auto it = registry.factories.find(id);
    if (it == registry.factories.end())
        return {};
    return registry.drawn[id] = it->second();
}

void RegisterBitmapResource(int id, BitmapFactory factory)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.factories[id] = factory;
    registry.drawn.erase(id);
}
