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

// Icons of the object pickers, 32 x 32 on white (the mask colour).
QImage WhiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A head and shoulders, the picker icon of teachers.
QImage PersonIcon(const QColor& skin, const QColor& hair, const QColor& coat, const QColor& shirt)
{
    QImage image = WhiteImage(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.moveTo(4, 31);
    body.cubicTo(4, 21, 9, 19, 16, 19);
    body.cubicTo(23, 19, 28, 21, 28, 31);
    body.closeSubpath();
    p.setPen(QPen(coat.darker(130), 1));
    p.setBrush(coat);
    p.drawPath(body);
    QPainterPath collar;
    collar.moveTo(12, 19.5);
    collar.lineTo(16, 26);
    collar.lineTo(20, 19.5);
    collar.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(shirt);
    p.drawPath(collar);
    p.setPen(QPen(skin.darker(125), 1));
    p.setBrush(skin);
    p.drawEllipse(QRectF(10, 4, 12, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(hair);
    QPainterPath cap;
    cap.moveTo(9.6, 10.5);
    cap.cubicTo(9.5, 3, 22.5, 3, 22.4, 10.5);
    cap.cubicTo(19, 7.5, 13, 7.5, 9.6, 10.5);
    p.drawPath(cap);
    return image;
}

QImage ClassIcon()
{
    QImage image = WhiteImage(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Blackboard on a wooden frame, a line of chalk writing, and a desk below.
    p.setPen(QPen(QColor(120, 78, 40), 2));
    p.setBrush(QColor(32, 96, 64));
    p.drawRect(QRectF(3, 3, 26, 17));
    p.setPen(QPen(QColor(235, 235, 225), 1.2));
    p.drawLine(QPointF(7, 9), QPointF(17, 9));
    p.drawLine(QPointF(7, 13), QPointF(22, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(196, 140, 80));
    p.drawRect(QRectF(6, 23, 20, 3));
    p.setBrush(QColor(150, 100, 55));
    p.drawRect(QRectF(8, 26, 2, 5));
    p.drawRect(QRectF(22, 26, 2, 5));
    return image;
}

QImage RoomIcon()
{
    QImage image = WhiteImage(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A school building: a roof, a wall with windows and a door.
    QPainterPath roof;
    roof.moveTo(2, 13);
    roof.lineTo(16, 3);
    roof.lineTo(30, 13);
    roof.closeSubpath();
    p.setPen(QPen(QColor(150, 40, 30), 1));
    p.setBrush(QColor(200, 70, 50));
    p.drawPath(roof);
    p.setPen(QPen(QColor(160, 130, 90), 1));
    p.setBrush(QColor(240, 220, 180));
    p.drawRect(QRectF(5, 13, 22, 17));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 150, 210));
    for (int x : {8, 14, 20})
        p.drawRect(QRectF(x, 16, 4, 4));
    p.setBrush(QColor(120, 80, 45));
    p.drawRect(QRectF(14, 23, 4, 7));
    return image;
}

QImage CourseIcon()
{
    QImage image = WhiteImage(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // An open book.
    p.setPen(QPen(QColor(40, 80, 150), 1.5));
    p.setBrush(QColor(70, 120, 200));
    QPainterPath cover;
    cover.moveTo(2, 8);
    cover.lineTo(16, 10);
    cover.lineTo(30, 8);
    cover.lineTo(30, 27);
    cover.lineTo(16, 29);
    cover.lineTo(2, 27);
    cover.closeSubpath();
    p.drawPath(cover);
    p.setPen(QPen(QColor(170, 170, 170), 1));
    p.setBrush(Qt::white);
    QPainterPath left;
    left.moveTo(4, 6);
    left.lineTo(16, 8.5);
    left.lineTo(16, 27);
    left.lineTo(4, 25);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(28, 6);
    right.lineTo(16, 8.5);
    right.lineTo(16, 27);
    right.lineTo(28, 25);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(120, 140, 170), 1));
    for (int i = 0; i < 4; ++i) {
        const double y = 12 + i * 3.5;
        p.drawLine(QPointF(6.5, y), QPointF(13.5, y + 1.2));
        p.drawLine(QPointF(18.5, y + 1.2), QPointF(25.5, y));
    }
    return image;
}

QImage NoLessonTeacherIcon()
{
    QImage image = PersonIcon(QColor(215, 215, 215), QColor(150, 150, 150), QColor(175, 175, 175),
                              QColor(235, 235, 235));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(210, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 27), QPointF(27, 5));
    return image;
}

QImage HeaderSkin()
{
    // Light at the top, a touch of blue-grey below, a darker line at the bottom edge.
    QImage image(5, 23, QImage::Format_RGB32);
    for (int y = 0; y < 23; ++y) {
        QColor color;
        if (y == 22)
            color = QColor(156, 182, 197);
        else if (y < 11)
            color = QColor(255 - y, 255 - y / 2, 255);
        else
            color = QColor(244 - (y - 11) * 2, 248 - (y - 11) * 2, 252 - (y - 11));
        for (int x = 0; x < 5; ++x)
            image.setPixelColor(x, y, color);
    }
    return image;
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
        {IDB_COURSE_PICKER, CourseIcon},
        {IDB_TEACHER_PICKER,
         [] { return PersonIcon(QColor(250, 214, 180), QColor(60, 45, 35), QColor(50, 90, 150), Qt::white); }},
        {IDB_CLASS_PICKER, ClassIcon},
        {IDB_ROOM_PICKER, RoomIcon},
        {IDB_HEADER_SKIN, HeaderSkin},
        {IDB_TEACHER_NO_LESSON, NoLessonTeacherIcon},
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
