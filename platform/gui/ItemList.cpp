#include "platform/gui/ItemList.h"
#include "platform/gui/QtText.h"

#include <QEvent>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace zem::gui {

namespace {

constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;
// The smallest cell of the icon view; a cell grows to hold the longest label whole.
constexpr QSize kIconCell(96, 72);

// The standard drawing, with the item's own options open to the list that measures them.
class ItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    using QStyledItemDelegate::initStyleOption;
};

}  // namespace

ItemList::ItemList(QWidget* parent, Mode mode) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setUniformItemSizes(false);
    setItemDelegate(new ItemDelegate(this));
    SetMode(mode);

    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem* changed) {
        if (m_settingCheck || !m_checkBoxes || !onCheckChanged)
            return;
        onCheckChanged(row(changed), changed->checkState() == Qt::Checked);
    });
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* clicked) {
        if (onDoubleClick)
            onDoubleClick(row(clicked));
    });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (onSelectionChanged)
            onSelectionChanged();
    });
}

ItemList::~ItemList()
{
    // Nothing may call back into a half-destroyed owner.
    onSelectionChanged = nullptr;
    onDoubleClick = nullptr;
    onCheckChanged = nullptr;
}

void ItemList::SetMode(Mode mode)
{
    m_mode = mode;
    if (mode == Mode::Icon) {
        setViewMode(QListView::IconMode);
        setFlow(QListView::LeftToRight);
        setIconSize(QSize(32, 32));
        setGridSize(kIconCell);
        setWordWrap(true);
        setSpacing(4);
        FitGridToAll();
    } else {
        setViewMode(QListView::ListMode);
        setFlow(QListView::TopToBottom);
        setGridSize(QSize());
        setIconSize(QSize(16, 16));
        setWordWrap(false);
        setSpacing(1);
    }
    setMovement(QListView::Static);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
}

void ItemList::SetImageList(const ImageList& images)
{
    m_icons.clear();
    for (int i = 0; i < images.GetImageCount(); ++i)
        m_icons.emplace_back(QPixmap::fromImage(images.GetImage(i)));
    const Size size = images.GetImageSize();
    setIconSize(QSize(size.cx, size.cy));
    for (int i = 0; i < count(); ++i)
        SetItemImage(i, GetItemImage(i));
    FitGridToAll();
}

int ItemList::InsertItem(int index, std::string_view text, int image, std::uintptr_t data)
{
    if (index < 0 || index > count())
        index = count();
    auto* entry = new QListWidgetItem(ToQ(text));
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | (m_checkBoxes ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
    entry->setData(kDataRole, QVariant::fromValue(static_cast<quintptr>(data)));
    m_settingCheck = true;
    if (m_checkBoxes)
        entry->setCheckState(Qt::Unchecked);
    insertItem(index, entry);
    m_settingCheck = false;
    SetItemImage(index, image);
    FitGridTo(index);
    return index;
}

bool ItemList::DeleteItem(int index)
{
    QListWidgetItem* entry = takeItem(index);
    delete entry;
    return entry != nullptr;
}

void ItemList::DeleteAllItems()
{
    clear();
    if (m_mode == Mode::Icon)
        setGridSize(kIconCell);
}

bool ItemList::SetItemText(int index, std::string_view text)
{
    QListWidgetItem* entry = item(index);
    if (!entry)
        return false;
    m_settingCheck = true;
    entry->setText(ToQ(text));
    m_settingCheck = false;
    FitGridTo(index);
    return true;
}

std::string ItemList::GetItemText(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? FromQ(entry->text()) : std::string();
}

bool ItemList::SetItemImage(int index, int image)
{
    QListWidgetItem* entry = item(index);
    if (!entry)
        return false;
    m_settingCheck = true;
    entry->setData(kImageRole, image);
    entry->setIcon(image >= 0 && image < static_cast<int>(m_icons.size()) ? m_icons[static_cast<std::size_t>(image)]
                                                                          : QIcon());
    m_settingCheck = false;
    return true;
}

int ItemList::GetItemImage(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(kImageRole).toInt() : -1;
}

bool ItemList::SetItemData(int index, std::uintptr_t data)
{
    QListWidgetItem* entry = item(index);
    if (!entry)
        return false;
    m_settingCheck = true;
    entry->setData(kDataRole, QVariant::fromValue(static_cast<quintptr>(data)));
    m_settingCheck = false;
    return true;
}

std::uintptr_t ItemList::GetItemData(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? static_cast<std::uintptr_t>(entry->data(kDataRole).value<quintptr>()) : 0;
}

void ItemList::SetSingleSelection(bool single)
{
    setSelectionMode(single ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
}

bool ItemList::IsSelected(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry && entry->isSelected();
}

void ItemList::SetSelected(int index, bool selected)
{
    QListWidgetItem* entry = item(index);
    if (!entry)
        return;
    if (selected && selectionMode() == QAbstractItemView::SingleSelection) {
        setCurrentItem(entry);
        return;
    }
    entry->setSelected(selected);
    if (selected)
        setCurrentItem(entry, QItemSelectionModel::NoUpdate);
}

std::vector<int> ItemList::GetSelectedRows() const
{
    std::vector<int> rows;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected())
            rows.push_back(i);
    }
    return rows;
}

int ItemList::GetFirstSelected() const
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected())
            return i;
    }
    return -1;
}

void ItemList::EnsureVisible(int index)
{
    if (QListWidgetItem* entry = item(index))
        scrollToItem(entry);
}

void ItemList::FitGridTo(int index)
{
    QListWidgetItem* entry = item(index);
    if (m_mode != Mode::Icon || !entry)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);  // wraps at the cell's width
    const QSize label = itemDelegate()->sizeHint(option, indexFromItem(entry));
    const QSize cell = gridSize().expandedTo(label + QSize(2 * spacing(), 2 * spacing()));
    if (cell != gridSize())
        setGridSize(cell);
}

void ItemList::FitGridToAll()
{
    if (m_mode != Mode::Icon)
        return;
    setGridSize(kIconCell);
    for (int i = 0; i < count(); ++i)
        FitGridTo(i);
}

void ItemList::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        FitGridToAll();
}

QRect ItemList::GetItemTextRect(int index) const
{
    QListWidgetItem* entry = item(index);
    if (!entry)
        return {};
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualItemRect(entry);
    if (const auto* delegate = dynamic_cast<const ItemDelegate*>(itemDelegate()))
        delegate->initStyleOption(&option, indexFromItem(entry));
    const QWidget* widget = option.widget ? option.widget : this;
    const QRect text = widget->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
    const int margin = widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return text.adjusted(margin, 0, -margin, 0);
}

void ItemList::SetCheckBoxes(bool on)
{
    m_checkBoxes = on;
    m_settingCheck = true;
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* entry = item(i);
        Qt::ItemFlags flags = entry->flags();
        if (on) {
            entry->setFlags(flags | Qt::ItemIsUserCheckable);
            entry->setCheckState(Qt::Unchecked);
        } else {
            entry->setFlags(flags & ~Qt::ItemIsUserCheckable);
            entry->setData(Qt::CheckStateRole, QVariant());
        }
    }
    m_settingCheck = false;
}

bool ItemList::GetCheck(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry && m_checkBoxes && entry->checkState() == Qt::Checked;
}

void ItemList::SetCheck(int index, bool checked)
{
    QListWidgetItem* entry = item(index);
    if (!entry || !m_checkBoxes)
        return;
    m_settingCheck = true;
    entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_settingCheck = false;
}

}  // namespace zem::gui
