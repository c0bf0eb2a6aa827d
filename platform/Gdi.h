#pragma once
// Colours and rectangles as the program's drawing code counts them. No toolkit: data code may hold
// colours too. A rectangle holds its left and top edge but not its right and bottom edge.
#include <algorithm>
#include <cstdint>

namespace zem {

// 0x00BBGGRR, as the files store colours.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool PtInRect(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    constexpr Point TopLeft() const { return {left, top}; }
    constexpr Point CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }

    constexpr void DeflateRect(int d) { DeflateRect(d, d, d, d); }
    constexpr void DeflateRect(int l, int t, int r, int b)
    {
        left += l;
        top += t;
        right -= r;
        bottom -= b;
    }
    constexpr void InflateRect(int d) { DeflateRect(-d, -d, -d, -d); }
    constexpr void OffsetRect(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    constexpr void NormalizeRect()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace zem
