#include "platform/gui/ReportList.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>
#include <numeric>

namespace zem::gui {

class ReportListModel : public QAbstractTableModel {
public:
    struct Column {
        QString heading;
        ReportList::Align align = ReportList::Align::Left;
    };
    struct Row {
        std::vector<QString> texts;
        std::uintptr_t data = 0;
        bool checked = false;
        COLORREF text = ReportList::kDefaultColor;
        COLORREF background = ReportList::kDefaultColor;
    };

    std::vector<Column> columns;
    std::vector<Row> rows;
    bool checkBoxes = false;
    int checkColumn = 0;
    std::function<void(int, bool)> checkChanged;

    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows.size()); }
    bool ValidColumn(int column) const { return column >= 0 && column < static_cast<int>(columns.size()); }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || !ValidRow(index.row()) || !ValidColumn(index.column()))
            return {};
        const Row& row = rows[static_cast<std::size_t>(index.row())];
        const auto column = static_cast<std::size_t>(index.column());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return column < row.texts.size() ? row.texts[column] : QString();
        case Qt::TextAlignmentRole: {
            const Qt::Alignment vertical = Qt::AlignVCenter;
            switch (columns[column].align) {
            case ReportList::Align::Center: return QVariant::fromValue(Qt::AlignHCenter | vertical);
            case ReportList::Align::Right: return QVariant::fromValue(Qt::AlignRight | vertical);
            default: return QVariant::fromValue(Qt::AlignLeft | vertical);
            }
        }
        case Qt::CheckStateRole:
            if (checkBoxes && index.column() == checkColumn)
                return row.checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole:
            if (row.text != ReportList::kDefaultColor)
                return QBrush(ToQColor(row.text));
            return {};
        case Qt::BackgroundRole:
            if (row.background != ReportList::kDefaultColor)
                return QBrush(ToQColor(row.background));
            return {};
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::CheckStateRole || !checkBoxes || !index.isValid() || !ValidRow(index.row()))
            return false;
        const bool checked = value.toInt() == Qt::Checked;
        rows[static_cast<std::size_t>(index.row())].checked = checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        if (checkChanged)
            checkChanged(index.row(), checked);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (checkBoxes && index.column() == checkColumn)
            flags |= Qt::ItemIsUserCheckable;
        return flags;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || !ValidColumn(section))
            return {};
        if (role == Qt::DisplayRole)
            return columns[static_cast<std::size_t>(section)].heading;
        if (role == Qt::TextAlignmentRole) {
            switch (columns[static_cast<std::size_t>(section)].align) {
            case ReportList::Align::Center: return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
            case ReportList::Align::Right: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            default: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
            }
        }
        return {};
    }

    void ChangedRow(int row)
    {
        if (!columns.empty())
            emit dataChanged(index(row, 0), index(row, static_cast<int>(columns.size()) - 1));
    }
    void ChangedAll()
    {
        if (!rows.empty() && !columns.empty())
            emit dataChanged(index(0, 0), index(static_cast<int>(rows.size()) - 1, static_cast<int>(columns.size()) - 1));
    }

    using QAbstractTableModel::beginInsertColumns;
    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginRemoveColumns;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endInsertColumns;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endRemoveColumns;
    using QAbstractTableModel::endRemoveRows;
    using QAbstractTableModel::endResetModel;
};

ReportList::ReportList(QWidget* parent) : QTableView(parent), m_model(new ReportListModel)
{
    m_model->setParent(this);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();

    m_model->checkChanged = [this](int row, bool checked) {
        if (onCheckChanged)
            onCheckChanged(row, checked);
    };
    ConnectHeader();
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (onDoubleClick && index.isValid())
            onDoubleClick(index.row());
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (onSelectionChanged)
            onSelectionChanged();
    });
}

void ReportList::ConnectHeader()
{
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) { OnColumnClick(column); });
}

void ReportList::SetHeader(QHeaderView* header)
{
    if (!header || header == horizontalHeader())
        return;
    // Widths belong to the header: the new one takes the old one's.
    std::vector<int> widths;
    for (int column = 0; column < GetColumnCount(); ++column)
        widths.push_back(GetColumnWidth(column));
    setHorizontalHeader(header);
    ConnectHeader();
    for (int column = 0; column < static_cast<int>(widths.size()); ++column)
        SetColumnWidth(column, widths[static_cast<std::size_t>(column)]);
}

void ReportList::OnColumnClick(int column)
{
    if (onColumnClick)
        onColumnClick(column);
}

ReportList::~ReportList()
{
    // Nothing may call back into a half-destroyed owner.
    onSelectionChanged = nullptr;
    onDoubleClick = nullptr;
    onColumnClick = nullptr;
    onCheckChanged = nullptr;
}

int ReportList::InsertColumn(int column, std::string_view heading, Align align, int width)
{
    const int count = GetColumnCount();
    if (column < 0 || column > count)
        column = count;
    m_model->beginInsertColumns({}, column, column);
    m_model->columns.insert(m_model->columns.begin() + column, {ToQ(heading), align});
    for (auto& row : m_model->rows) {
        if (static_cast<int>(row.texts.size()) >= column)
            row.texts.insert(row.texts.begin() + column, QString());
    }
    m_model->endInsertColumns();
    SetColumnWidth(column, width);
    return column;
}

bool ReportList::DeleteColumn(int column)
{
    if (!m_model->ValidColumn(column))
        return false;
    m_model->beginRemoveColumns({}, column, column);
    m_model->columns.erase(m_model->columns.begin() + column);
    for (auto& row : m_model->rows) {
        if (column < static_cast<int>(row.texts.size()))
            row.texts.erase(row.texts.begin() + column);
    }
    m_model->endRemoveColumns();
    return true;
}

int ReportList::GetColumnCount() const
{
    return static_cast<int>(m_model->columns.size());
}

std::string ReportList::GetColumnHeading(int column) const
{
    return m_model->ValidColumn(column) ? m_model->columns[static_cast<std::size_t>(column)].heading.toStdString()
                                        : std::string();
}

bool ReportList::SetColumnHeading(int column, std::string_view heading)
{
    if (!m_model->ValidColumn(column))
        return false;
    m_model->columns[static_cast<std::size_t>(column)].heading = ToQ(heading);
    emit m_model->headerDataChanged(Qt::Horizontal, column, column);
    return true;
}

void ReportList::SetColumnWidth(int column, int width)
{
    if (m_model->ValidColumn(column))
        horizontalHeader()->resizeSection(column, std::max(0, width));
}

int ReportList::GetColumnWidth(int column) const
{
    return m_model->ValidColumn(column) ? horizontalHeader()->sectionSize(column) : 0;
}

int ReportList::InsertItem(int row, std::string_view text, std::uintptr_t data)
{
    if (m_model->columns.empty())
        return -1;
    const int count = GetItemCount();
    if (row < 0 || row > count)
        row = count;
    ReportListModel::Row item;
    item.texts.resize(m_model->columns.size());
    item.texts[0] = ToQ(text);
    item.data = data;
    m_model->beginInsertRows({}, row, row);
    m_model->rows.insert(m_model->rows.begin() + row, std::move(item));
    m_model->endInsertRows();
    return row;
}

bool ReportList::DeleteItem(int row)
{
    if (!m_model->ValidRow(row))
        return false;
    m_model->beginRemoveRows({}, row, row);
    m_model->rows.erase(m_model->rows.begin() + row);
    m_model->endRemoveRows();
    return true;
}

void ReportList::DeleteAllItems()
{
    m_model->beginResetModel();
    m_model->rows.clear();
    m_model->endResetModel();
}

int ReportList::GetItemCount() const
{
    return static_cast<int>(m_model->rows.size());
}

bool ReportList::SetItemText(int row, int column, std::string_view text)
{
    if (!m_model->ValidRow(row) || !m_model->ValidColumn(column))
        return false;
    auto& texts = m_model->rows[static_cast<std::size_t>(row)].texts;
    if (static_cast<int>(texts.size()) <= column)
        texts.resize(static_cast<std::size_t>(column) + 1);
    texts[static_cast<std::size_t>(column)] = ToQ(text);
    const QModelIndex index = m_model->index(row, column);
    emit m_model->dataChanged(index, index);
    return true;
}

std::string ReportList::GetItemText(int row, int column) const
{
    if (!m_model->ValidRow(row) || !m_model->ValidColumn(column))
        return {};
    const auto& texts = m_model->rows[static_cast<std::size_t>(row)].texts;
    return column < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(column)].toStdString()
                                                   : std::string();
}

bool ReportList::SetItemData(int row, std::uintptr_t data)
{
    if (!m_model->ValidRow(row))
        return false;
    m_model->rows[static_cast<std::size_t>(row)].data = data;
    return true;
}

std::uintptr_t ReportList::GetItemData(int row) const
{
    return m_model->ValidRow(row) ? m_model->rows[static_cast<std::size_t>(row)].data : 0;
}

int ReportList::FindItemData(std::uintptr_t data) const
{
    for (int row = 0; row < GetItemCount(); ++row) {
        if (m_model->rows[static_cast<std::size_t>(row)].data == data)
            return row;
    }
    return -1;
}

void ReportList::SwapItems(int a, int b)
{
    if (!m_model->ValidRow(a) || !m_model->ValidRow(b) || a == b)
        return;
    const bool selectedA = IsSelected(a);
    const bool selectedB = IsSelected(b);
    std::swap(m_model->rows[static_cast<std::size_t>(a)], m_model->rows[static_cast<std::size_t>(b)]);
    m_model->ChangedRow(a);
    m_model->ChangedRow(b);
    SetSelected(a, selectedB);
    SetSelected(b, selectedA);
}

void ReportList::SetItemColors(int row, COLORREF text, COLORREF background)
{
    if (!m_model->ValidRow(row))
        return;
    auto& item = m_model->rows[static_cast<std::size_t>(row)];
    item.text = text;
    item.background = background;
    m_model->ChangedRow(row);
}

void ReportList::SetSingleSelection(bool single)
{
    setSelectionMode(single ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
}

bool ReportList::IsSelected(int row) const
{
    return m_model->ValidRow(row) && selectionModel()->isRowSelected(row, {});
}

void ReportList::SetSelected(int row, bool selected)
{
    if (!m_model->ValidRow(row) || m_model->columns.empty())
        return;
    const QModelIndex index = m_model->index(row, 0);
    const auto flags = (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                       QItemSelectionModel::Rows;
    selectionModel()->select(index, flags);
    if (selected)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void ReportList::SelectAllRows()
{
    if (GetItemCount() == 0 || m_model->columns.empty())
        return;
    QItemSelection all(m_model->index(0, 0), m_model->index(GetItemCount() - 1, GetColumnCount() - 1));
    selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ReportList::ClearSelectedRows()
{
    selectionModel()->clearSelection();
}

int ReportList::GetSelectedCount() const
{
    return static_cast<int>(GetSelectedRows().size());
}

std::vector<int> ReportList::GetSelectedRows() const
{
    std::vector<int> rows;
    for (int row = 0; row < GetItemCount(); ++row) {
        if (selectionModel()->isRowSelected(row, {}))
            rows.push_back(row);
    }
    return rows;
}

int ReportList::GetFirstSelected() const
{
    for (int row = 0; row < GetItemCount(); ++row) {
        if (selectionModel()->isRowSelected(row, {}))
            return row;
    }
    return -1;
}

void ReportList::EnsureVisible(int row)
{
    if (m_model->ValidRow(row) && !m_model->columns.empty())
        scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
}

void ReportList::SetCheckBoxes(bool on, int column)
{
    m_model->checkBoxes = on;
    m_model->checkColumn = std::max(0, column);
    m_model->ChangedAll();
}

bool ReportList::HasCheckBoxes() const
{
    return m_model->checkBoxes;
}

bool ReportList::GetCheck(int row) const
{
    return m_model->ValidRow(row) && m_model->rows[static_cast<std::size_t>(row)].checked;
}

void ReportList::SetCheck(int row, bool checked)
{
    if (!m_model->ValidRow(row))
        return;
    m_model->rows[static_cast<std::size_t>(row)].checked = checked;
    m_model->ChangedRow(row);
}

void ReportList::SortItems(const std::function<int(int a, int b)>& compare)
{
    const int count = GetItemCount();
    if (count < 2 || !compare)
        return;
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });

    std::vector<bool> selected(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
        selected[static_cast<std::size_t>(row)] = IsSelected(row);

    std::vector<ReportListModel::Row> sorted;
    sorted.reserve(static_cast<std::size_t>(count));
    for (int from : order)
        sorted.push_back(std::move(m_model->rows[static_cast<std::size_t>(from)]));

    m_model->beginResetModel();
    m_model->rows = std::move(sorted);
    m_model->endResetModel();
    for (int row = 0; row < count; ++row) {
        if (selected[static_cast<std::size_t>(order[static_cast<std::size_t>(row)])])
            SetSelected(row, true);
    }
}

void ReportList::SetRowHeight(int height)
{
    if (height > 0) {
        verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        verticalHeader()->setDefaultSectionSize(height);
        verticalHeader()->setMinimumSectionSize(std::min(height, verticalHeader()->minimumSectionSize()));
    }
}

}  // namespace zem::gui
