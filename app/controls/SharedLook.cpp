#include "app/controls/SharedLook.h"

#include "table/UICore.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

using zem::gui::ToQColor;

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

}  // namespace

const zem::gui::Font& ControlDefaultFont()
{
    return CUICore::instance()->GetDefaultFont();
}

QImage FrameworkBitmap(int id)
{
    switch (id) {
    case IDB_COURSE_PICKER: return CourseIcon();
    case IDB_TEACHER_PICKER:
        return PersonIcon(QColor(250, 214, 180), QColor(60, 45, 35), QColor(50, 90, 150), Qt::white);
    case IDB_CLASS_PICKER: return ClassIcon();
    case IDB_ROOM_PICKER: return RoomIcon();
    case IDB_HEADER_SKIN: return HeaderSkin();
    case IDB_TEACHER_NO_LESSON: return NoLessonTeacherIcon();
    default: return {};
    }
}

void DrawBitmapTiled(zem::gui::DC& dc, const zem::Rect& rect, const QImage& bitmap)
{
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0)
        return;
    for (int y = rect.top; y < rect.bottom; y += bitmap.height()) {
        for (int x = rect.left; x < rect.right; x += bitmap.width())
            dc.DrawImage(bitmap, x, y);
    }
}
