#pragma once
// The dark header band of the proctoring page: the open proctoring's name in large light letters.
// The cursor is a hand over it; a click tells the page where, to open the title menu.
#include "platform/Gdi.h"

#include <QWidget>

#include <functional>
#include <string>

class CProctorTitleBand : public QWidget {
public:
    explicit CProctorTitleBand(QWidget* parent = nullptr);

    void SetName(const std::string& name);
    const std::string& GetName() const { return m_name; }

    // A click, with the point on the screen.
    std::function<void(zem::Point screenPoint)> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::string m_name;
};
