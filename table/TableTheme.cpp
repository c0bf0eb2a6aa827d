#include "table/TableTheme.h"

using zem::RGB;

CTableTheme& CTableTheme::Instance()
{
    static CTableTheme theme;
    return theme;
}

CTableTheme::CTableTheme()
{
    using zem::gui::TagImage;
    const zem::COLORREF white = RGB(255, 255, 255);
    m_images.Add(zem::gui::MakeTagImage(TagImage::Padlock), white);
    m_images.Add(zem::gui::MakeTagImage(TagImage::ChainLink), white);
    m_images.Add(zem::gui::MakeTagImage(TagImage::NoEntry), white);
    LoadPalette();
}

int CTableTheme::SetMode(int mode)
{
    const int previous = m_mode;
    m_mode = mode;
    LoadPalette();
    return previous;
}

void CTableTheme::LoadPalette()
{
    const zem::COLORREF white = RGB(255, 255, 255);
    m_morningReading = RGB(180, 180, 180);
    m_selfStudy = RGB(180, 180, 180);
    if (m_mode == 0) {
        m_tableBk = RGB(242, 242, 242);
        m_rowA = RGB(223, 223, 223);
        m_rowB = RGB(231, 231, 231);
        m_rowC = RGB(210, 210, 210);
        m_picked = RGB(255, 238, 0);
        m_friend = RGB(106, 232, 106);
        m_forbidden = RGB(255, 0, 0);
        m_titleBk = RGB(31, 26, 23);
        m_titleText = white;
    } else {
        m_tableBk = RGB(0, 0, 0);
        m_rowA = m_rowB = m_rowC = white;
        m_picked = m_friend = m_forbidden = white;
        m_titleBk = white;
        m_titleText = RGB(0, 0, 0);
    }
}
