#pragma once
// Drawing routines of the owner-drawn windows and printed pages: tiled, transparent and capped
// bitmaps, aligned and multi-line text, a font size that fills a box, and the cell background.
// Each draws at once into the context and leaves its font and colours as it found them.
#include "platform/gui/DC.h"
#include "platform/gui/ImageList.h"

#include <QImage>

#include <string>

// Copies the bitmap row by row from the rectangle's top left while a tile's origin lies inside it;
// the last tiles run past the rectangle.
void DrawBitmapTiled(zem::gui::DC* dc, const zem::Rect& rect, const QImage* bitmap);
// Draws the bitmap's top-left part of the rectangle's size into it; pixels of the transparent colour
// keep what was there.
void DrawTransparentBitmap(zem::gui::DC* dc, const zem::Rect& rect, const QImage* bitmap, zem::COLORREF transparent);
// A bar from left to right: the left cap, the middle tiled, the right cap ending one pixel before
// `right`. Bitmaps are resource numbers; one that does not exist is left out.
void DrawBitmapBar(zem::gui::DC* dc, int left, int top, int right, int middleId, int leftCapId, int rightCapId);
// The bitmap centred in the rectangle, white left out.
void DrawCenteredBitmap(zem::gui::DC* dc, const zem::Rect& rect, int bitmapId);
// Adds the bitmap with white left out.
void AddBitmapToImageList(zem::gui::ImageList* list, int bitmapId);

// The text word-wrapped and centred in the rectangle, at the top (0), bottom (8) or middle (any
// other value); one centred line when the wrapped text is taller than a rectangle lower than two lines.
void DrawTextAligned(zem::gui::DC* dc, const zem::Rect& rect, const std::string& text, int align);
// One line per "\n"-separated piece from (left, top), each unwrapped in the width; lines are
// lineHeight apart, or font height + extra with lineHeight 0. An empty last piece is not drawn.
void DrawTextLines(zem::gui::DC* dc, int left, int top, int right, int bottom, const std::string& text, int extra,
                   int lineHeight);
// The largest bold size (tenths of a point, in steps of two points from the start size) at which
// the text on one line stays inside the rectangle shrunk to the ratio; the start size when even the
// first step does not fit.
int FitFontSizeToRect(zem::gui::DC* dc, const std::string& text, const std::string& face, int size,
                      const zem::Rect& rect, double ratio);
// The card of an owner-drawn list item: the item white, a frame of RGB(196, 202, 227) inset by dx and
// dy, filled inside with the frame's colour when selected and near-white otherwise; text colour
// black over a transparent background. Returns the rectangle inside the frame.
zem::Rect DrawListCard(zem::gui::DC* dc, const zem::Rect& item, int dx, int dy, bool selected);
// The week-table panes' background: grey, or black with coloured stars when [WeekTable] Background is 1.
void FillCellBackground(zem::gui::DC* dc, const zem::Rect& rect);
