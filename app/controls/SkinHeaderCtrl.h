#pragma once
// The column header of the program's report lists: 22 pixels high, painted over a tiled bitmap,
// titles single-line, centred when the column asks for it and otherwise left aligned.
#include <QHeaderView>

class CSkinHeaderCtrl : public QHeaderView {
public:
    static constexpr int kHeight = 22;

    explicit CSkinHeaderCtrl(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_bitmap;
};
