#pragma once
// The colours and cell-mark images every grid of the process shares, and the banner rows of the
// week grids.
#include "platform/Gdi.h"
#include "platform/gui/ImageList.h"
#include "table/TableDefs.h"

class CTableTheme {
public:
    // Created on first use; lives until the process ends.
    static CTableTheme& Instance();

    // 0 the colour palette, any other value the plain palette. Returns the previous mode.
    int SetMode(int mode);
    int GetMode() const { return m_mode; }

    zem::COLORREF GetTableBkColor() const { return m_tableBk; }
    zem::COLORREF GetRowAColor() const { return m_rowA; }
    zem::COLORREF GetRowBColor() const { return m_rowB; }
    zem::COLORREF GetRowCColor() const { return m_rowC; }
    zem::COLORREF GetMorningReadingColor() const { return m_morningReading; }
    zem::COLORREF GetSelfStudyColor() const { return m_selfStudy; }
    zem::COLORREF GetPickedColor() const { return m_picked; }
    zem::COLORREF GetFriendColor() const { return m_friend; }
    zem::COLORREF GetForbiddenColor() const { return m_forbidden; }
    zem::COLORREF GetTitleBkColor() const { return m_titleBk; }
    zem::COLORREF GetTitleTextColor() const { return m_titleText; }
    // A lesson's first and second line in a cell without a subject colour, in either palette.
    static constexpr zem::COLORREF kMainTextColor = zem::RGB(0, 0, 255);
    static constexpr zem::COLORREF kSecondaryTextColor = zem::RGB(0, 128, 0);

    const zem::gui::ImageList& GetImageList() const { return m_images; }

    // The host's banner rows (not owned; null for none), shared by every week grid.
    const BlankLine* GetBlankLine() const { return m_blankLines; }
    void SetBlankLine(const BlankLine* lines) { m_blankLines = lines; }

private:
    CTableTheme();
    void LoadPalette();

    int m_mode = 0;
    zem::COLORREF m_tableBk = 0, m_rowA = 0, m_rowB = 0, m_rowC = 0, m_morningReading = 0, m_selfStudy = 0;
    zem::COLORREF m_picked = 0, m_friend = 0, m_forbidden = 0, m_titleBk = 0, m_titleText = 0;
    zem::gui::ImageList m_images{16, 16};
    const BlankLine* m_blankLines = nullptr;
};
