#include "support/ScreenTestSupport.h"

#include "platform/gui/ItemList.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <climits>

QImage Snapshot(QWidget* widget)
{
    // Views lay their items out from the event loop.
    QCoreApplication::processEvents();
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::string SaveScreenshot(QWidget* widget, const std::string& name)
{
    return SavePicture(Snapshot(widget), name + ".png");
}

std::string SaveScreenshotWithCaption(QWidget* window, const std::string& name)
{
    const QImage client = Snapshot(window);
    const QFontMetrics metrics(window->font());
    const int bar = metrics.height() + 10;
    QImage picture(client.width(), client.height() + bar, QImage::Format_RGB32);
    picture.fill(QColor(214, 219, 233));
    QPainter painter(&picture);
    painter.setFont(window->font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(8, 0, client.width() - 16, bar), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(window->windowTitle(), Qt::ElideRight, client.width() - 16));
    painter.drawImage(0, bar, client);
    painter.end();
    return SavePicture(picture, name + ".png");
}

void ClickCheck(zem::gui::ItemList& list, int index)
{
    const QRect rect = list.visualItemRect(list.item(index));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(rect.left() + 9, rect.center().y()));
}

std::vector<std::string> Listed(const zem::gui::ItemList& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.GetItemCount(); ++i)
        names.push_back(list.GetItemText(i));
    return names;
}

std::vector<std::string> CutItemTexts(zem::gui::ItemList& list)
{
    QCoreApplication::processEvents();  // the view lays its items out
    const QFontMetrics metrics(list.font());
    std::vector<std::string> cut;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        const QRect room = list.GetItemTextRect(i);
        const QString text = list.item(i)->text();
        const int flags = Qt::AlignHCenter | Qt::AlignTop | (list.wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), INT_MAX / 2), flags, text);
        if (room.isEmpty() || needed.width() > room.width() || needed.height() > room.height())
            cut.push_back(list.GetItemText(i));
    }
    return cut;
}
