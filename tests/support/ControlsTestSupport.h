#pragma once
// Pixel probes, waiting on the event loop and the pictures the control tests leave for a person.
#include "platform/Gdi.h"
#include "support/PixelProbes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <functional>
#include <string>

// Pixels of the region that differ from the colour.
inline int CountOther(const QImage& image, const zem::Rect& region, zem::COLORREF color)
{
    int count = 0;
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            count += PixelOf(image, x, y) != color;
    return count;
}

// The smallest rectangle holding every pixel that differs from the background (empty when none).
inline zem::Rect InkBounds(const QImage& image, zem::COLORREF background)
{
    zem::Rect r(image.width(), image.height(), 0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelOf(image, x, y) != background) {
                r.left = std::min(r.left, x);
                r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::max(r.bottom, y + 1);
            }
    return r.IsRectEmpty() ? zem::Rect() : r;
}

// Runs the event loop until the condition holds; false when it did not within the time.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Writes the picture to the build's test-output folder for a person to look at.
inline void SavePicture(const QImage& image, const std::string& name)
{
    QDir().mkpath(ZEM_TEST_OUTPUT_DIR);
    image.save(QString::fromStdString(std::string(ZEM_TEST_OUTPUT_DIR) + "/" + name));
}
