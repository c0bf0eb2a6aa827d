#pragma once
// Words that float upwards over a star field of coloured dots, shown while a long automatic run
// works. Not a window: the owner gives it the area and the words once, steps it on its own timer
// and asks it to draw when it paints.
#include "platform/gui/DC.h"
#include "platform/gui/Font.h"

#include <QWidget>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

class CFloatingWordsAnimation {
public:
    static constexpr int kWordCount = 18;
    static constexpr int kDotCount = 100;
    static constexpr int kMaxSpeed = 6;

    struct Word {
        std::string text;
        zem::Rect rect;  // relative to the area's top left
        zem::gui::Font font;
        zem::COLORREF color = 0;
        int speed = 1;  // pixels per step
    };
    struct Dot {
        int x = 0;
        int y = 0;
        zem::COLORREF color = 0;
    };

    // Draws from the clock unless a seed is fixed first (tests).
    void SetSeed(std::uint32_t seed) { m_seed = seed; }

    // The area in the owner's client coordinates and the words; called once. Without words only
    // the dots are shown.
    void Init(QWidget* window, int left, int top, int right, int bottom, const std::vector<std::string>& words);
    // Moves every word up by its speed; a word gone past the top comes back from below as another.
    void Step();
    // Paints the whole area at its place.
    void Draw(zem::gui::DC& dc) const;

    const std::vector<Word>& GetWords() const { return m_words; }
    const std::vector<Dot>& GetDots() const { return m_dots; }
    const zem::Rect& GetArea() const { return m_area; }
    const std::vector<std::string>& GetAvailableWords() const { return m_available; }
    const std::vector<std::string>& GetUsedWords() const { return m_used; }

private:
    // Gives the word another text, font, place, colour and speed.
    void Spawn(Word& word);
    int Rand();
    // A random offset below the divisor's magnitude; 0 when it is 0.
    int Offset(int divisor);

    QWidget* m_window = nullptr;
    zem::Rect m_area;
    std::vector<std::string> m_available;
    std::vector<std::string> m_used;
    std::vector<Word> m_words;
    std::vector<Dot> m_dots;
    std::vector<std::string> m_faces;
    std::optional<std::uint32_t> m_seed;
    std::mt19937 m_random;
};
