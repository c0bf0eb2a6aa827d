#pragma once
// Pixel probes of rendered images.
#include "platform/Gdi.h"

#include <QImage>

#include <algorithm>
#include <functional>

inline zem::COLORREF PixelOf(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return zem::RGB(qRed(p), qGreen(p), qBlue(p));
}

inline int CountColor(const QImage& image, const zem::Rect& region, zem::COLORREF color)
{
    int count = 0;
    for (int y = std::max(0, region.top); y < std::min(image.height(), region.bottom); ++y)
        for (int x = std::max(0, region.left); x < std::min(image.width(), region.right); ++x)
            count += PixelOf(image, x, y) == color;
    return count;
}

// The smallest rectangle holding every pixel inside `region` that matches (empty when none).
inline zem::Rect BoundsOf(const QImage& image, const zem::Rect& region,
                          const std::function<bool(zem::COLORREF)>& match)
{
    zem::Rect bounds;
    bool any = false;
    for (int y = std::max(0, region.top); y < std::min(image.height(), region.bottom); ++y) {
        for (int x = std::max(0, region.left); x < std::min(image.width(), region.right); ++x) {
            if (!match(PixelOf(image, x, y)))
                continue;
            if (!any) {
                bounds = {x, y, x + 1, y + 1};
                any = true;
            } else {
                bounds.left = std::min(bounds.left, x);
                bounds.top = std::min(bounds.top, y);
                bounds.right = std::max(bounds.right, x + 1);
                bounds.bottom = std::max(bounds.bottom, y + 1);
            }
        }
    }
    return bounds;
}

inline zem::Rect BoundsOfColor(const QImage& image, const zem::Rect& region, zem::COLORREF color)
{
    return BoundsOf(image, region, [color](zem::COLORREF c) { return c == color; });
}

// Pixels darker than `threshold` in each component: text.
inline zem::Rect BoundsOfDark(const QImage& image, const zem::Rect& region, int threshold = 64)
{
    return BoundsOf(image, region, [threshold](zem::COLORREF c) {
        return zem::GetRValue(c) < threshold && zem::GetGValue(c) < threshold && zem::GetBValue(c) < threshold;
    });
}
