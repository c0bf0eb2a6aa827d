#pragma once
// A report list that sorts its rows when a column heading is clicked: ascending on the first click
// of a column, reversed on each further click of it. Numeric columns compare as numbers (to two
// decimal places), the others as text without regard to ASCII case, in the GBK order of names.
// Rows keep their texts, item data, checks and selection through a sort.
#include "platform/gui/ReportList.h"

#include <QHeaderView>

#include <map>
#include <set>

class CSortHeaderCtrl : public QHeaderView {
public:
    explicit CSortHeaderCtrl(QWidget* parent = nullptr);

    // Stores the sort column and direction and draws that column itself from now on, with the
    // arrow; a column sorted before keeps the own drawing without the arrow.
    void SetSortImage(int column, bool ascending);
    int GetSortColumn() const { return m_sortColumn; }
    bool IsAscending() const { return m_ascending; }
    bool IsOwnerDrawn(int column) const { return m_ownerDrawn.count(column) != 0; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_sortColumn = -1;
    bool m_ascending = true;
    std::set<int> m_ownerDrawn;
    int m_pressed = -1;
};

class CSortListCtrl : public zem::gui::ReportList {
public:
    enum { COLUMN_TEXT = 0, COLUMN_NUMERIC = 1 };

    explicit CSortListCtrl(QWidget* parent = nullptr);

    // Type 1 makes the column numeric; any other value (and a column never set) is text.
    void SetColumnType(int column, int type);
    // Sorts by the column in the direction and shows it in the header.
    void SortColumn(int column, bool ascending);
    int GetSortColumn() const { return m_sortColumn; }
    bool IsAscending() const { return m_ascending; }

    CSortHeaderCtrl* GetHeader() const { return m_header; }

protected:
    void OnColumnClick(int column) override;
    // <0, 0, >0 for two rows (their positions before the sort) in the current sort column and direction.
    virtual int CompareRows(int row1, int row2) const;

private:
    CSortHeaderCtrl* m_header;
    int m_sortColumn = -1;
    bool m_ascending = true;
    std::map<int, int> m_columnTypes;
};
