#pragma once
// Font records as the program stores and passes them, and their Qt fonts. The Windows faces the
// program names are mapped to the fonts every machine here has, so that Chinese text renders and
// measures the same everywhere.
#include <QFont>

#include <string>
#include <string_view>
#include <vector>

namespace zem {

// Sizes are pixels at 96 DPI: a negative height is the character (em) height, a positive one the
// cell height (ascent plus descent), 0 the default size.
struct LogFont {
    int height = 0;
    int weight = 400;  // 100..900; 0 means normal
    bool italic = false;
    bool underline = false;
    std::string faceName;  // UTF-8
    friend bool operator==(const LogFont&, const LogFont&) = default;
};

}  // namespace zem

using LOGFONTA = zem::LogFont;

namespace zem::gui {

// The family a face name resolves to: the alias table first, then an installed family of that name,
// else the default Chinese face.
QString ResolveFace(std::string_view faceName);

// The face names of the alias table whose stand-in family is installed, in the table's order, so
// that lists of installed faces also offer the names the program's settings use.
std::vector<std::string> InstalledAliasFaces();

// Antialiased text is the default; tests that check pixels turn it off before creating fonts.
void SetTextAntialiasing(bool on);
bool TextAntialiasing();

// Height of a point size given in tenths of a point, at 96 DPI (negative: a character height).
int PointSizeToHeight(int tenthsOfPoint);

class Font {
public:
    Font();  // 9 points of the default face
    explicit Font(const LogFont& logFont);
    // A font of the given size in tenths of a point.
    static Font FromPoints(int tenthsOfPoint, std::string_view faceName);

    const LogFont& GetLogFont() const { return logFont_; }
    const QFont& GetQFont() const { return font_; }

    int LineHeight() const;  // ascent plus descent
    int TextWidth(std::string_view text) const;

private:
    LogFont logFont_;
    QFont font_;
};

}  // namespace zem::gui
