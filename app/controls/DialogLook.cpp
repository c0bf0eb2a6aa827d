#include "app/controls/DialogLook.h"

#include "app/controls/HoverButton.h"
#include "platform/gui/Dialog.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QWidget>

#include <algorithm>

void PaintOffscreen(QWidget* widget, const std::function<void(zem::gui::DC&, const zem::Rect&)>& draw)
{
    if (widget->width() <= 0 || widget->height() <= 0)
        return;
    QImage buffer(widget->width(), widget->height(), QImage::Format_RGB32);
    {
        zem::gui::DC dc(&buffer);
        draw(dc, zem::Rect(0, 0, widget->width(), widget->height()));
    }
    QPainter(widget).drawImage(0, 0, buffer);
}

namespace {

// A tree asks its rows' heights with no width in hand, so a wrapped text would get one line: the
// delegate answers for the width the item has, and the tree lays its rows out again as it resizes.
class WrappingItems : public QStyledItemDelegate {
public:
    explicit WrappingItems(QTreeWidget* tree) : QStyledItemDelegate(tree), m_tree(tree), m_viewport(tree->viewport()) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        int depth = m_tree->rootIsDecorated() ? 1 : 0;
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            ++depth;
        QStyleOptionViewItem wrapped(option);
        // The style wraps only within a valid rectangle: it needs a height too, which it does not use.
        wrapped.rect.setSize({std::max(1, m_tree->header()->sectionSize(index.column()) - depth * m_tree->indentation()),
                              option.fontMetrics.height()});
        return QStyledItemDelegate::sizeHint(wrapped, index);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The viewport is compared as it was: the tree may be half torn down when its last events come.
        if (watched == m_viewport && event->type() == QEvent::Resize)
            m_tree->doItemsLayout();
        // Not the delegate's own filter: that one takes what it watches for an editor.
        return false;
    }

private:
    QTreeWidget* m_tree;
    QObject* m_viewport;
};

}  // namespace

void WrapTreeTexts(QTreeWidget* tree)
{
    tree->setWordWrap(true);
    tree->setUniformRowHeights(false);
    tree->setTextElideMode(Qt::ElideNone);
    tree->header()->setSectionResizeMode(QHeaderView::Stretch);
    tree->header()->setStretchLastSection(true);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* items = new WrappingItems(tree);
    tree->setItemDelegate(items);
    tree->viewport()->installEventFilter(items);
}

void DrawFramedBox(zem::gui::DC& dc, const zem::Rect& frame, bool whiteInside)
{
    if (whiteInside)
        dc.FillSolidRect(frame, zem::RGB(255, 255, 255));
    dc.Draw3dRect(frame, kDialogFrameColor, kDialogFrameColor);
}

void PaintBandDialog(QWidget* dialog, const zem::Rect& searchFrame, const zem::Rect& listFrame)
{
    PaintOffscreen(dialog, [&](zem::gui::DC& dc, const zem::Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(zem::Rect(0, 0, client.right, kDialogBandHeight), kDialogBandColor);
        DrawFramedBox(dc, searchFrame, true);
        DrawFramedBox(dc, listFrame, false);
    });
}

void PaintButtonBandDialog(QWidget* dialog, std::initializer_list<zem::Rect> frames)
{
    PaintOffscreen(dialog, [&](zem::gui::DC& dc, const zem::Rect& client) {
        dc.FillSolidRect(client, zem::RGB(255, 255, 255));
        dc.FillSolidRect(zem::Rect(0, client.bottom - kDialogBandHeight, client.right, client.bottom), kDialogBandColor);
        for (const zem::Rect& frame : frames)
            DrawFramedBox(dc, frame, false);
    });
}

int AskQuestion(const std::string& text, zem::MessageButtons buttons)
{
    zem::MessageRequest question;
    question.text = text;
    question.icon = zem::MessageIcon::Question;
    question.buttons = buttons;
    return zem::ShowMessage(question);
}
