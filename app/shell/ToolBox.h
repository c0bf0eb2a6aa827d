#pragma once
// The grid of large buttons of the selected page; a click sends the button's action code to the
// owner. An entry whose feature this program does not have is shown disabled and takes no click.
#include "platform/Gdi.h"
#include "platform/MessageTarget.h"
#include "platform/gui/ImageList.h"

#include <QWidget>

#include <string>
#include <vector>

struct CToolBoxItem {
    int image = -1;
    int code = 0;  // 0: a line break
    std::string caption;
    std::string description;
    zem::Rect rect;
    int lineBreak = 0;
    bool enabled = true;
};

class CToolBox : public QWidget {
public:
    static constexpr int kMargin = 30;
    static constexpr int kItemWidth = 241;
    static constexpr int kItemHeight = 57;
    static constexpr int kGap = 20;

    CToolBox();

    bool Create(QWidget* owner, zem::MessageTarget* notify);
    void AddItem(int code, const std::string& caption, const std::string& description, int bitmapId, bool lineBreak,
                 bool enabled = true);
    void Clear();
    // The rectangle of the first entry with the code; all zero when there is none.
    zem::Rect GetItemRect(int code) const;

    // Lays the entries out for a client width (done before every paint).
    void Layout(int width);
    // Columns for a client width: (w - 30) / 261, at least 1.
    static int ColumnCount(int width);

    const std::vector<CToolBoxItem>& GetItems() const { return m_items; }
    int GetHoverIndex() const { return m_nHover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The number among the non-break entries of the enabled entry under the point, or -1.
    int HitTest(zem::Point point) const;
    const CToolBoxItem* ItemByNumber(int number) const;

    std::vector<CToolBoxItem> m_items;
    zem::gui::ImageList m_images{40, 40};
    int m_nHover = -1;
    zem::MessageTarget* m_pNotify = nullptr;
};
