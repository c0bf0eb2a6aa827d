#pragma once
// A flat progress strip with a centred caption. A click on it asks the owner to show the
// completion report.
#include "platform/MessageTarget.h"
#include "platform/Gdi.h"
#include "platform/WindowMessages.h"

#include <QWidget>

#include <string>

class CProgressWnd : public QWidget {
public:
    CProgressWnd();
    ~CProgressWnd() override;

    // Makes the strip a child of the owner; the owner gets the click message when it receives the
    // program's messages.
    bool Create(QWidget* owner);
    bool Create(QWidget* owner, zem::MessageTarget* notify);

    void SetRange(int minimum, int maximum);
    void SetPos(int position);
    void SetText(const std::string& caption);
    void Refresh() { update(); }

    int GetMin() const { return m_min; }
    int GetMax() const { return m_max; }
    int GetPos() const { return m_pos; }
    const std::string& GetText() const { return m_caption; }
    // The filled part, in client coordinates; empty without a range or at or below the minimum.
    const zem::Rect& GetBarRect() const { return m_barRect; }

    void SetBkColor(zem::COLORREF color) { m_bkColor = color; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Layout();

    int m_min = 0;
    int m_max = 0;
    int m_pos = 0;
    zem::COLORREF m_bkColor = zem::RGB(240, 240, 240);
    zem::MessageTarget* m_notify = nullptr;
    std::string m_caption;
    zem::Rect m_clientRect;
    zem::Rect m_barRect;
};
