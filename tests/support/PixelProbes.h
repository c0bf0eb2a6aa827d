#pragma once
// Pixel probes of rendered images, and the pictures the screen tests leave for a person.
#include "platform/Gdi.h"
#include "support/TempFolder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

inline zem::COLORREF PixelOf(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return zem::RGB(qRed(p), qGreen(p), qBlue(p));
}

// The pixels inside `region` that match.
inline int CountOf(const QImage& image, const zem::Rect& region, const std::function<bool(zem::COLORREF)>& match)
{
    int count = 0;
    for (int y = std::max(0, region.top); y < std::min(image.height(), region.bottom); ++y)
        for (int x = std::max(0, region.left); x < std::min(image.width(), region.right); ++x)
            count += match(PixelOf(image, x, y));
    return count;
}

inline int CountColor(const QImage& image, const zem::Rect& region, zem::COLORREF color)
{
    return CountOf(image, region, [color](zem::COLORREF c) { return c == color; });
}

// Pixels of the region that differ from the colour.
inline int CountOther(const QImage& image, const zem::Rect& region, zem::COLORREF color)
{
    return CountOf(image, region, [color](zem::COLORREF c) { return c != color; });
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

// The smallest rectangle of the whole image holding every pixel that differs from the background
// (empty when none).
inline zem::Rect InkBounds(const QImage& image, zem::COLORREF background)
{
    return BoundsOf(image, {0, 0, image.width(), image.height()},
                    [background](zem::COLORREF c) { return c != background; });
}

// Writes the picture to the build's test-output folder for a person to look at; its path.
inline std::string SavePicture(const QImage& image, const std::string& name)
{
    const std::string path = TestOutputPath(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path))) << path;
    return path;
}
