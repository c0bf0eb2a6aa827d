#include "app/controls/FloatingWords.h"

#include <chrono>
#include <cstdlib>

using zem::Rect;
using namespace zem::gui;

namespace {

bool Intersect(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

int CFloatingWordsAnimation::Rand()
{
    return static_cast<int>(m_random() & 0x7FFF);
}

int CFloatingWordsAnimation::Offset(int divisor)
{
    return divisor == 0 ? 0 : Rand() % std::abs(divisor);
}

void CFloatingWordsAnimation::Init(QWidget* window, int left, int top, int right, int bottom,
                                   const std::vector<std::string>& words)
{
    m_window = window;
    m_area = Rect(left, top, std::max(left, right), std::max(top, bottom));
    m_available.insert(m_available.end(), words.begin(), words.end());
    m_faces = {"楷体", "微软雅黑", "宋体", "隶书", "黑体", "仿宋"};
    m_random.seed(m_seed ? *m_seed
                         : static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));

    m_dots.clear();
    for (int i = 0; i < kDotCount; ++i) {
        Dot dot;
        dot.x = Offset(m_area.Width());
        dot.y = Offset(m_area.Height());
        const int r = Rand() % 255, g = Rand() % 255, b = Rand() % 255;
        dot.color = zem::RGB(r, g, b);
        m_dots.push_back(dot);
    }
    m_words.clear();
    if (m_available.empty())
        return;
    for (int i = 0; i < kWordCount; ++i) {
        Word word;
        Spawn(word);
        m_words.push_back(std::move(word));
    }
}

void CFloatingWordsAnimation::Spawn(Word& word)
{
    if (m_available.empty()) {
        m_available.swap(m_used);
        m_used.clear();
    }
    if (m_available.empty())
        return;
    const auto i = static_cast<std::size_t>(Rand()) % m_available.size();
    word.text = m_available[i];
    m_used.push_back(m_available[i]);
    m_available.erase(m_available.begin() + static_cast<std::ptrdiff_t>(i));

    const std::string& face = m_faces[static_cast<std::size_t>(Rand() % static_cast<int>(m_faces.size()))];
    word.font = Font::FromPoints(90 + Rand() % 100, face);

    QImage scratch(1, 1, QImage::Format_RGB32);
    DC dc(&scratch);
    dc.SelectFont(word.font);
    Rect measured;
    dc.DrawText(word.text, measured, DT_CALCRECT | DT_SINGLELINE);
    // A word wider than the area starts within its excess width; an area without width or height
    // gives no offset.
    const int dx = Offset(m_area.Width() - measured.Width());
    const int dy = Offset(2 * m_area.Height());
    measured.OffsetRect(dx, dy);
    word.rect = measured;

    const int r = 128 + Rand() % 128, g = 128 + Rand() % 128, b = 128 + Rand() % 128;
    word.color = zem::RGB(r, g, b);
    word.speed = 1 + Rand() % 5;
    // Overlapping words of one speed would move as one: each such neighbour makes this one faster.
    for (const Word& other : m_words) {
        if (&other == &word)
            continue;
        if (Intersect(other.rect, word.rect) && other.speed == word.speed)
            ++word.speed;
        if (word.speed > 5)
            break;
    }
}

void CFloatingWordsAnimation::Step()
{
    for (Word& word : m_words) {
        word.rect.OffsetRect(0, -word.speed);
        if (word.rect.bottom > 0)
            continue;
        Spawn(word);
        if (word.rect.top < m_area.Height())
            word.rect.OffsetRect(0, m_area.Height());
    }
}

void CFloatingWordsAnimation::Draw(DC& dc) const
{
    if (m_area.IsRectEmpty())
        return;
    QImage image(m_area.Width(), m_area.Height(), QImage::Format_RGB32);
    image.fill(ToQColor(zem::RGB(24, 24, 24)));
    for (const Dot& dot : m_dots)
        if (dot.x < image.width() && dot.y < image.height())
            image.setPixel(dot.x, dot.y, ToQColor(dot.color).rgb());
    {
        DC memory(&image);
        memory.SetBkMode(TRANSPARENT);
        for (const Word& word : m_words) {
            memory.SelectFont(word.font);
            memory.SetTextColor(word.color);
            memory.DrawText(word.text, word.rect, 0);
        }
    }
    dc.DrawImage(image, m_area.left, m_area.top);
}
