#include "app/data/DataBitmaps.h"

#include "app/controls/Bitmaps.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = 88;

// A white picture: white is the transparent colour where it is drawn.
QImage WhiteCanvas()
{
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void Person(QPainter& p, QPointF at, double scale, const QColor& coat)
{
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    QPainterPath body;
    body.moveTo(-12, 30);
    body.cubicTo(-12, 14, -6, 11, 0, 11);
    body.cubicTo(6, 11, 12, 14, 12, 30);
    body.closeSubpath();
    p.setPen(QPen(coat.darker(130), 1));
    p.setBrush(coat);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 250));
    QPainterPath collar;
    collar.moveTo(-4, 11.5);
    collar.lineTo(0, 18);
    collar.lineTo(4, 11.5);
    collar.closeSubpath();
    p.drawPath(collar);
    p.setPen(QPen(QColor(200, 150, 110), 1));
    p.setBrush(QColor(250, 214, 180));
    p.drawEllipse(QRectF(-6.5, -4, 13, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 40, 35));
    QPainterPath hair;
    hair.moveTo(-6.8, 2.5);
    hair.cubicTo(-7, -6.5, 7, -6.5, 6.8, 2.5);
    hair.cubicTo(3, -0.5, -3, -0.5, -6.8, 2.5);
    p.drawPath(hair);
    p.restore();
}

QImage ClassPicture()
{
    QImage image = WhiteCanvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Blackboard with chalk writing, then two rows of desks before it.
    p.setPen(QPen(QColor(120, 78, 40), 3));
    p.setBrush(QColor(32, 96, 64));
    p.drawRect(QRectF(8, 6, 72, 38));
    p.setPen(QPen(QColor(235, 235, 225), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(44, 16));
    p.drawLine(QPointF(16, 25), QPointF(60, 25));
    p.drawLine(QPointF(16, 34), QPointF(36, 34));
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const double x = 10 + col * 25 - row * 3, y = 54 + row * 16;
            p.setBrush(QColor(206, 150, 90));
            p.drawRect(QRectF(x, y, 20 + row * 2, 5));
            p.setBrush(QColor(150, 100, 55));
            p.drawRect(QRectF(x + 2, y + 5, 2, 8));
            p.drawRect(QRectF(x + 16 + row * 2, y + 5, 2, 8));
        }
    }
    return image;
}

QImage TeacherPicture()
{
    QImage image = WhiteCanvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A teacher behind the lectern, a pointer towards the corner of a board.
    p.setPen(QPen(QColor(120, 78, 40), 2));
    p.setBrush(QColor(32, 96, 64));
    p.drawRect(QRectF(50, 8, 32, 24));
    Person(p, QPointF(34, 26), 1.55, QColor(60, 90, 150));
    p.setPen(QPen(QColor(150, 100, 55), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(44, 50), QPointF(60, 22));
    p.setPen(QPen(QColor(120, 78, 40), 1));
    p.setBrush(QColor(196, 140, 80));
    QPainterPath lectern;
    lectern.moveTo(14, 60);
    lectern.lineTo(54, 60);
    lectern.lineTo(50, 84);
    lectern.lineTo(18, 84);
    lectern.closeSubpath();
    p.drawPath(lectern);
    p.setBrush(QColor(170, 115, 60));
    p.drawRect(QRectF(10, 56, 48, 5));
    return image;
}

QImage SubjectPicture()
{
    QImage image = WhiteCanvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Three books lying one on another, an open one on top.
    const QColor covers[] = {QColor(200, 70, 50), QColor(70, 120, 200), QColor(60, 150, 90)};
    for (int i = 0; i < 3; ++i) {
        const double y = 70 - i * 13, x = 10 + (i % 2) * 5;
        p.setPen(QPen(covers[i].darker(140), 1));
        p.setBrush(covers[i]);
        p.drawRoundedRect(QRectF(x, y, 64, 12), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(245, 240, 225));
        p.drawRect(QRectF(x + 56, y + 2, 6, 8));
    }
    p.setPen(QPen(QColor(40, 80, 150), 1.5));
    p.setBrush(QColor(70, 120, 200));
    QPainterPath cover;
    cover.moveTo(12, 22);
    cover.lineTo(44, 26);
    cover.lineTo(76, 22);
    cover.lineTo(76, 42);
    cover.lineTo(44, 46);
    cover.lineTo(12, 42);
    cover.closeSubpath();
    p.drawPath(cover);
    p.setPen(QPen(QColor(170, 170, 170), 1));
    p.setBrush(Qt::white);
    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(44 + side * 30, 18);
        page.lineTo(44, 23);
        page.lineTo(44, 43);
        page.lineTo(44 + side * 30, 39);
        page.closeSubpath();
        p.drawPath(page);
        for (int line = 0; line < 3; ++line)
            p.drawLine(QPointF(44 + side * 6, 28 + line * 4), QPointF(44 + side * 25, 25 + line * 4));
    }
    return image;
}

QImage RoomPicture()
{
    QImage image = WhiteCanvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A school building with a flag, and the running track before it.
    p.setPen(QPen(QColor(160, 130, 90), 1));
    p.setBrush(QColor(240, 220, 180));
    p.drawRect(QRectF(12, 22, 64, 36));
    p.setPen(QPen(QColor(150, 40, 30), 1));
    p.setBrush(QColor(200, 70, 50));
    QPainterPath roof;
    roof.moveTo(6, 24);
    roof.lineTo(44, 8);
    roof.lineTo(82, 24);
    roof.closeSubpath();
    p.drawPath(roof);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 150, 210));
    for (int row = 0; row < 2; ++row)
        for (int x : {18, 30, 52, 64})
            p.drawRect(QRectF(x, 28 + row * 13, 7, 8));
    p.setBrush(QColor(120, 80, 45));
    p.drawRect(QRectF(39, 40, 10, 18));
    p.setPen(QPen(QColor(110, 110, 110), 1.5));
    p.drawLine(QPointF(44, 8), QPointF(44, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 30, 30));
    p.drawRect(QRectF(44, 0.5, 8, 5));
    p.setPen(QPen(QColor(190, 90, 60), 5));
    p.setBrush(QColor(90, 170, 80));
    p.drawRoundedRect(QRectF(8, 64, 72, 20), 10, 10);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(8, 64, 72, 20), 10, 10);
    return image;
}

}  // namespace

void RegisterDataBitmaps()
{
    RegisterBitmapResource(IDB_CLASS_INFO, ClassPicture);
    RegisterBitmapResource(IDB_TEACHER_INFO, TeacherPicture);
    RegisterBitmapResource(IDB_SUBJECT_INFO, SubjectPicture);
    RegisterBitmapResource(IDB_ROOM_INFO, RoomPicture);
}
