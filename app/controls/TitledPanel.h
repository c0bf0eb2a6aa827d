#pragma once
// A framed, rounded panel with a coloured title band: a title at the left of the band and a grey
// remark at its right. Not a window: the owner places it around a group of controls and draws it
// when it paints. Texts and colours may be changed directly.
#include "platform/gui/DC.h"

#include <string>

class CTitledPanel {
public:
    // Sets the panel and derives the title band and the body, where the owner lays out its
    // controls. A panel too small for them gets them cut to what fits, never inverted.
    void SetRect(int left, int top, int right, int bottom);
    void Draw(zem::gui::DC& dc) const;

    const zem::Rect& GetPanelRect() const { return m_panelRect; }
    const zem::Rect& GetTitleRect() const { return m_titleRect; }
    const zem::Rect& GetBodyRect() const { return m_bodyRect; }

    std::string m_title;
    std::string m_remark;
    zem::COLORREF m_titleBkColor = zem::RGB(189, 211, 255);
    zem::COLORREF m_bkColor = zem::RGB(255, 255, 255);
    zem::COLORREF m_titleTextColor = zem::RGB(0, 0, 0);
    zem::COLORREF m_frameColor = zem::RGB(223, 223, 223);
    int m_titleHeight = 24;

private:
    zem::Rect m_panelRect;
    zem::Rect m_titleRect;
    zem::Rect m_bodyRect;
};
