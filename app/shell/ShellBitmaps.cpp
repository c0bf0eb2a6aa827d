#include "app/shell/ShellBitmaps.h"

#include "app/controls/Bitmaps.h"
#include "platform/gui/Font.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kSlate(59, 72, 91);
const QColor kBlue(0, 72, 192);

QImage White(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QFont IconFont(int pixels, bool bold = true)
{
    QFont font(zem::gui::ResolveFace("微软雅黑"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A rounded tile in the colour with a lighter top, on white (the mask colour).
void Tile(QPainter& p, const QColor& color)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 3, 0, 37);
    gradient.setColorAt(0, color.lighter(130));
    gradient.setColorAt(1, color);
    p.setPen(QPen(color.darker(125), 1));
    p.setBrush(gradient);
    p.drawRoundedRect(QRectF(3.5, 3.5, 33, 33), 7, 7);
}

QImage TextTool(const QColor& color, const QString& text)
{
    QImage image = White(40, 40);
    QPainter p(&image);
    Tile(p, color);
    p.setPen(Qt::white);
    p.setFont(IconFont(text.size() > 1 ? 13 : 20));
    p.drawText(QRect(3, 3, 34, 34), Qt::AlignCenter, text);
    return image;
}

QImage FolderTool()
{
    QImage image = White(40, 40);
    QPainter p(&image);
    Tile(p, QColor(222, 150, 30));
    QPainterPath folder;
    folder.moveTo(10, 13);
    folder.lineTo(17, 13);
    folder.lineTo(19, 16);
    folder.lineTo(30, 16);
    folder.lineTo(30, 28);
    folder.lineTo(10, 28);
    folder.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(folder);
    p.setBrush(QColor(255, 226, 160));
    p.drawRect(QRectF(12, 19, 16, 7));
    return image;
}

QImage NewTool()
{
    QImage image = White(40, 40);
    QPainter p(&image);
    Tile(p, QColor(40, 150, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(12, 10, 14, 20));
    p.setBrush(QColor(40, 150, 80));
    p.drawRect(QRectF(19, 17, 10, 10));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(23, 18.5, 2, 7));
    p.drawRect(QRectF(20.5, 21, 7, 2));
    return image;
}

QImage PlayTool()
{
    QImage image = White(40, 40);
    QPainter p(&image);
    Tile(p, QColor(210, 60, 50));
    QPainterPath play;
    play.moveTo(15, 11);
    play.lineTo(29, 20);
    play.lineTo(15, 29);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(play);
    return image;
}

QImage GridTool(const QColor& color, const QString& mark)
{
    QImage image = White(40, 40);
    QPainter p(&image);
    Tile(p, color);
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(9, 10, 22, 20));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(9 + i * 5.5, 10), QPointF(9 + i * 5.5, 30));
    for (int i = 1; i < 3; ++i)
        p.drawLine(QPointF(9, 10 + i * 6.67), QPointF(31, 10 + i * 6.67));
    if (!mark.isEmpty()) {
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(21, 20, 15, 15));
        p.setPen(color.darker(110));
        p.setFont(IconFont(10));
        p.drawText(QRectF(21, 20, 15, 15), Qt::AlignCenter, mark);
    }
    return image;
}

QImage Icon48()
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kSlate.darker(120), 1.5));
    p.setBrush(kSlate);
    p.drawRoundedRect(QRectF(3, 6, 42, 38), 6, 6);
    p.setBrush(QColor(40, 206, 45));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(4, 7, 40, 9));
    p.setPen(QPen(Qt::white, 1.5));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(3 + i * 10.5, 18), QPointF(3 + i * 10.5, 42));
    for (int i = 1; i < 3; ++i)
        p.drawLine(QPointF(5, 16 + i * 9), QPointF(43, 16 + i * 9));
    p.setBrush(QColor(255, 200, 60));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(25, 26, 9, 8));
    return image;
}

QImage Banner()
{
    QImage image(8, 100, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 100);
    gradient.setColorAt(0, QColor(96, 114, 140));
    gradient.setColorAt(0.8, kSlate);
    gradient.setColorAt(1, QColor(44, 54, 70));
    p.fillRect(image.rect(), gradient);
    return image;
}

// Drawn with black as the transparent colour.
QImage Logo()
{
    QImage image(300, 56, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QRect(0, 4, 48, 48), Icon48());
    p.setPen(QColor(255, 255, 255));
    p.setFont(IconFont(26));
    p.drawText(QRect(58, 0, 240, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tavelin"));
    p.setPen(QColor(210, 225, 245));
    p.setFont(IconFont(14, false));
    p.drawText(QRect(58, 32, 240, 22), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("大课表版 · 自动排课"));
    return image;
}

QImage LoginBack()
{
    QImage image(520, 300, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 300);
    gradient.setColorAt(0, QColor(248, 250, 253));
    gradient.setColorAt(1, QColor(222, 230, 242));
    p.fillRect(image.rect(), gradient);
    p.fillRect(QRect(0, 0, 520, 96), kSlate);
    p.fillRect(QRect(0, 96, 520, 4), QColor(40, 206, 45));
    p.drawImage(QRect(24, 24, 48, 48), Icon48());
    p.setPen(Qt::white);
    p.setFont(IconFont(30));
    p.drawText(QRect(86, 14, 420, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tavelin"));
    p.setFont(IconFont(16, false));
    p.drawText(QRect(86, 54, 420, 28), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("大课表版"));
    p.setPen(QColor(120, 130, 150));
    p.setFont(IconFont(12, false));
    p.drawText(QRect(0, 270, 500, 22), Qt::AlignRight | Qt::AlignVCenter, QString::fromUtf8("版本 1.0"));
    return image;
}

QImage DescMiddle()
{
    QImage image(1, 180, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 180);
    gradient.setColorAt(0, QColor(244, 248, 253));
    gradient.setColorAt(0.6, QColor(255, 255, 255));
    gradient.setColorAt(1, QColor(238, 242, 248));
    p.fillRect(image.rect(), gradient);
    image.setPixelColor(0, 0, QColor(213, 221, 236));
    image.setPixelColor(0, 179, QColor(213, 221, 236));
    return image;
}

QImage DescEnd(bool left)
{
    QImage image(6, 180, QImage::Format_RGB32);
    QPainter p(&image);
    p.drawImage(QRect(0, 0, 6, 180), DescMiddle());
    p.fillRect(QRect(left ? 0 : 5, 0, 1, 180), QColor(213, 221, 236));
    return image;
}

QImage ToolHover()
{
    QImage image = White(241, 57);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 57);
    gradient.setColorAt(0, QColor(236, 244, 255));
    gradient.setColorAt(1, QColor(214, 230, 252));
    p.setPen(QPen(QColor(150, 185, 235), 1));
    p.setBrush(gradient);
    p.drawRoundedRect(QRectF(0.5, 0.5, 240, 56), 5, 5);
    return image;
}

struct ToolPicture {
    int id;
    QImage (*draw)();
};

const QColor kDataColor(52, 110, 190);
const QColor kRuleColor(120, 80, 170);
const QColor kRunColor(200, 90, 40);
const QColor kViewColor(30, 140, 130);

}  // namespace

QImage FadedPicture(const QImage& picture)
{
    QImage faded = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < faded.height(); ++y) {
        for (int x = 0; x < faded.width(); ++x) {
            const QColor c = faded.pixelColor(x, y);
            if (c == Qt::white)
                continue;
            const int grey = qGray(c.rgb());
            const int light = 150 + grey * 90 / 255;
            faded.setPixelColor(x, y, QColor(light, light, light));
        }
    }
    return faded;
}

QIcon MainIcon()
{
    return QIcon(QPixmap::fromImage(Icon48()));
}

void RegisterShellBitmaps()
{
    RegisterBitmapResource(IDB_BANNER, Banner);
    RegisterBitmapResource(IDB_LOGO, Logo);
    RegisterBitmapResource(IDB_LOGIN_BACK, LoginBack);
    RegisterBitmapResource(IDB_DESC_MIDDLE, DescMiddle);
    RegisterBitmapResource(IDB_DESC_LEFT, [] { return DescEnd(true); });
    RegisterBitmapResource(IDB_DESC_RIGHT, [] { return DescEnd(false); });
    RegisterBitmapResource(IDB_TOOL_HOVER, ToolHover);
    RegisterBitmapResource(149, FolderTool);
    RegisterBitmapResource(148, NewTool);
    RegisterBitmapResource(211, [] { return TextTool(QColor(230, 120, 30), QString::fromUtf8("演")); });
    RegisterBitmapResource(171, [] { return TextTool(kDataColor, QString::fromUtf8("时")); });
    RegisterBitmapResource(183, [] { return TextTool(kDataColor, QString::fromUtf8("班")); });
    RegisterBitmapResource(157, [] { return TextTool(kDataColor, QString::fromUtf8("师")); });
    RegisterBitmapResource(227, [] { return TextTool(kDataColor, QString::fromUtf8("室")); });
    RegisterBitmapResource(180, [] { return TextTool(kDataColor, QString::fromUtf8("计")); });
    RegisterBitmapResource(374, [] { return TextTool(kDataColor, QString::fromUtf8("早晚")); });
    RegisterBitmapResource(375, [] { return TextTool(kDataColor, QString::fromUtf8("组")); });
    RegisterBitmapResource(185, [] { return TextTool(kRuleColor, QString::fromUtf8("规")); });
    RegisterBitmapResource(244, [] { return TextTool(kRuleColor, QString::fromUtf8("预")); });
    RegisterBitmapResource(201, [] { return TextTool(kRuleColor, QString::fromUtf8("合")); });
    RegisterBitmapResource(184, [] { return TextTool(kRuleColor, QString::fromUtf8("禁")); });
    RegisterBitmapResource(279, [] { return TextTool(kRuleColor, QString::fromUtf8("斥")); });
    RegisterBitmapResource(376, [] { return TextTool(kRuleColor, QString::fromUtf8("助")); });
    RegisterBitmapResource(363, [] { return TextTool(kRuleColor, QString::fromUtf8("单双")); });
    RegisterBitmapResource(382, [] { return TextTool(kRuleColor, QString::fromUtf8("互")); });
    RegisterBitmapResource(187, PlayTool);
    RegisterBitmapResource(253, [] { return TextTool(kRunColor, QString::fromUtf8("重")); });
    RegisterBitmapResource(198, [] { return TextTool(kRunColor, QString::fromUtf8("报")); });
    RegisterBitmapResource(224, [] { return GridTool(kViewColor, QString::fromUtf8("全")); });
    RegisterBitmapResource(364, [] { return GridTool(kViewColor, QString::fromUtf8("多")); });
    RegisterBitmapResource(214, [] { return GridTool(kViewColor, QString::fromUtf8("班")); });
    RegisterBitmapResource(212, [] { return GridTool(kViewColor, QString::fromUtf8("师")); });
    RegisterBitmapResource(252, [] { return GridTool(kViewColor, QString::fromUtf8("室")); });
    RegisterBitmapResource(255, [] { return TextTool(kViewColor, QString::fromUtf8("调")); });
    RegisterBitmapResource(264, [] { return TextTool(kViewColor, QString::fromUtf8("代")); });
}
