#include "support/ScreenTestSupport.h"

#include "platform/gui/ItemList.h"

#include <QCoreApplication>
#include <QTest>


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
