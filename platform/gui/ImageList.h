#pragma once
// A list of images of one size, each drawn with its mask colour left out.
#include "platform/gui/DC.h"

#include <QImage>

#include <vector>

namespace zem::gui {

class ImageList {
public:
    ImageList(int cx, int cy) : cx_(cx), cy_(cy) {}

    // Adds the image (scaled to the list's size if it differs) with every pixel of `mask` made
    // transparent. Returns its index.
    int Add(const QImage& image, COLORREF mask);
    int GetImageCount() const { return static_cast<int>(images_.size()); }
    Size GetImageSize() const { return {cx_, cy_}; }
    const QImage& GetImage(int index) const { return images_.at(static_cast<std::size_t>(index)); }

    // False (and nothing drawn) for an index outside the list.
    bool Draw(DC& dc, int index, Point at) const;

private:
    int cx_;
    int cy_;
    std::vector<QImage> images_;
};

// The three cell marks: a padlock, a chain link and an orange no-entry disc, 16 x 16 on white.
enum class TagImage { Padlock, ChainLink, NoEntry };
QImage MakeTagImage(TagImage which);

}  // namespace zem::gui
