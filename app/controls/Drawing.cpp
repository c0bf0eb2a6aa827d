#include "app/controls/Drawing.h"

#include "app/shared/AppServices.h"
#include "app/controls/Bitmaps.h"
#include "app/shared/Strings.h"

#include <algorithm>
#include <random>

using zem::Rect;
using namespace zem::gui;

namespace {

// The image with every pixel of the colour made transparent.
QImage WithoutColour(const QImage& image, zem::COLORREF colour)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(zem::GetRValue(colour), zem::GetGValue(colour), zem::GetBValue(colour));
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    return out;
}

// Restores the context's font when a routine that measures with its own fonts is done.
class FontKeeper {
public:
    explicit FontKeeper(DC* dc) : dc_(dc), font_(dc->GetFont()) {}
    ~FontKeeper() { dc_->SelectFont(font_); }
    FontKeeper(const FontKeeper&) = delete;
    FontKeeper& operator=(const FontKeeper&) = delete;

private:
    DC* dc_;
    Font font_;
};

// The search for a fitting size ends here whatever the text.
constexpr int kMaxFitSize = 10000;  // tenths of a point

}  // namespace

void DrawBitmapTiled(DC* dc, const Rect& rect, const QImage* bitmap)
{
    if (!dc || !bitmap || bitmap->width() <= 0 || bitmap->height() <= 0)
        return;
    for (int y = rect.top; y < rect.bottom; y += bitmap->height())
        for (int x = rect.left; x < rect.right; x += bitmap->width())
            dc->DrawImage(*bitmap, x, y);
}

void DrawTransparentBitmap(DC* dc, const Rect& rect, const QImage* bitmap, zem::COLORREF transparent)
{
    if (!dc || !bitmap || bitmap->isNull() || rect.IsRectEmpty())
        return;
    // Only the part the bitmap has: a rectangle larger than the bitmap shows what was there.
    const int width = std::min(rect.Width(), bitmap->width());
    const int height = std::min(rect.Height(), bitmap->height());
    dc->DrawImage(WithoutColour(bitmap->copy(0, 0, width, height), transparent), rect.left, rect.top);
}

void DrawBitmapBar(DC* dc, int left, int top, int right, int middleId, int leftCapId, int rightCapId)
{
    if (!dc)
        return;
    const QImage middle = LoadBitmapResource(middleId);
    const QImage leftCap = LoadBitmapResource(leftCapId);
    const QImage rightCap = LoadBitmapResource(rightCapId);
    if (!leftCap.isNull())
        dc->DrawImage(leftCap, left, top);
    if (!rightCap.isNull())
        dc->DrawImage(rightCap, right - rightCap.width() - 1, top);
    const int free = right - left - leftCap.width() - rightCap.width();
    if (middle.isNull() || middle.width() <= 0 || free <= 0)
        return;
    int x = left + leftCap.width();
    for (int copies = free / middle.width(); copies > 0; --copies, x += middle.width())
        dc->DrawImage(middle, x, top);
    if (const int rest = free % middle.width(); rest > 0)
        dc->DrawImage(middle.copy(0, 0, rest, middle.height()), x, top);
}

void DrawCenteredBitmap(DC* dc, const Rect& rect, int bitmapId)
{
    const QImage bitmap = LoadBitmapResource(bitmapId);
    if (!dc || bitmap.isNull())
        return;
    const int x = rect.left + (rect.Width() - bitmap.width()) / 2;
    const int y = rect.top + (rect.Height() - bitmap.height()) / 2;
    dc->DrawImage(WithoutColour(bitmap, zem::RGB(255, 255, 255)), x, y);
}

void AddBitmapToImageList(ImageList* list, int bitmapId)
{
    const QImage bitmap = LoadBitmapResource(bitmapId);
    if (list && !bitmap.isNull())
        list->Add(bitmap, zem::RGB(255, 255, 255));
}

void DrawTextAligned(DC* dc, const Rect& rect, const std::string& text, int align)
{
    if (!dc || text.empty())
        return;
    const unsigned vertical = align == 0 ? DT_TOP : align == 8 ? DT_BOTTOM : DT_VCENTER;
    Rect line = rect;
    const int lineHeight = dc->DrawText(text, line, DT_CALCRECT | DT_SINGLELINE);
    Rect block = rect;
    const unsigned wrap = DT_WORDBREAK | DT_CENTER | DT_EDITCONTROL;
    dc->DrawText(text, block, DT_CALCRECT | wrap);
    const int width = block.Width(), height = block.Height();
    block.left = rect.left + (rect.Width() - width) / 2;
    block.right = block.left + width;
    block.top = align == 0 ? rect.top : align == 8 ? rect.bottom - height : rect.top + (rect.Height() - height) / 2;
    block.bottom = block.top + height;
    if (height > rect.Height()) {
        if (rect.Height() < 2 * lineHeight) {
            dc->DrawText(text, rect, DT_SINGLELINE | DT_CENTER | vertical);
            return;
        }
        block.top = rect.top;
        block.bottom = rect.bottom;
    }
    dc->DrawText(text, block, wrap);
}

void DrawTextLines(DC* dc, int left, int top, int right, int bottom, const std::string& text, int extra,
                   int lineHeight)
{
    if (!dc)
        return;
    const int fontHeight = dc->GetTextExtent("").cy;
    const int step = lineHeight != 0 ? lineHeight : fontHeight + extra;
    std::vector<std::string> pieces;
    SplitToArray(text, "\n", pieces, false);
    Rect line(left, top, right, top + fontHeight);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::string piece = pieces[i];
        if (!piece.empty() && piece.back() == '\r')
            piece.pop_back();
        const bool last = i + 1 == pieces.size();
        if (last && piece.empty())
            break;  // a text ending in "\n" has no empty last line
        dc->DrawText(piece, line, 0);
        line.OffsetRect(0, step);
    }
}

int FitFontSizeToRect(DC* dc, const std::string& text, const std::string& face, int size, const Rect& rect,
                      double ratio)
{
    if (!dc)
        return size;
    ratio = std::clamp(ratio, 0.0, 1.0);
    const int dx = static_cast<int>(rect.Width() * (1 - ratio) / 2);
    const int dy = static_cast<int>(rect.Height() * (1 - ratio) / 2);
    const Rect box(rect.left + dx, rect.top + dy, rect.right - dx, rect.bottom - dy);
    if (box.IsRectEmpty())
        return size;
    FontKeeper keeper(dc);
    int fitting = size;
    for (int trial = size + 20; trial <= kMaxFitSize; trial += 20) {
        dc->SelectFont(Font(zem::LogFont{PointSizeToHeight(trial), 700, false, false, face}));
        Rect measured = box;
        dc->DrawText(text, measured, DT_CALCRECT | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        if (measured.Height() >= box.Height() || measured.Width() >= box.Width())
            break;
        fitting = trial;
    }
    return fitting;
}

Rect DrawListCard(DC* dc, const Rect& item, int dx, int dy, bool selected)
{
    constexpr zem::COLORREF kFrame = zem::RGB(196, 202, 227);
    dc->FillSolidRect(item, zem::RGB(255, 255, 255));
    Rect inner = item;
    inner.DeflateRect(dx, dy, dx, dy);
    dc->FrameRect(inner, kFrame);
    inner.DeflateRect(1);
    dc->FillSolidRect(inner, selected ? kFrame : zem::RGB(247, 247, 247));
    dc->SetTextColor(zem::RGB(0, 0, 0));
    dc->SetBkMode(TRANSPARENT);
    return inner;
}

void FillCellBackground(DC* dc, const Rect& rect)
{
    if (!dc)
        return;
    if (AppServices().GetWeekTableBackground() != 1) {
        dc->FillSolidRect(rect, zem::RGB(129, 129, 129));
        return;
    }
    dc->FillSolidRect(rect, zem::RGB(0, 0, 0));
    // No stars where there is no room for one: the positions are taken modulo the size.
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    static std::minstd_rand random{std::random_device{}()};
    for (int star = 0; star < 333; ++star) {
        const unsigned r1 = random(), r2 = random(), r3 = random(), r4 = random(), r5 = random();
        const zem::COLORREF colour = zem::RGB(static_cast<int>(r3 % 255), static_cast<int>(r2 % 255),
                                              static_cast<int>(r1 % 255));
        dc->FillSolidRect(rect.left + static_cast<int>(r5 % static_cast<unsigned>(rect.Width())),
                          rect.top + static_cast<int>(r4 % static_cast<unsigned>(rect.Height())), 1, 1, colour);
    }
}
