#pragma once
// The usage tips of the information panel: every tip is shown once, in random order, before any
// repeats; a tip fetched by its id counts as shown.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

struct CTipItem {
    int id = 0;  // 0: no id
    std::string title;
    std::string text;
};

class CTipList {
public:
    CTipList();
    virtual ~CTipList() = default;
    CTipList(const CTipList&) = delete;
    CTipList& operator=(const CTipList&) = delete;

    // A tip not yet shown in this round; once all were shown a new round starts. Null when empty.
    const CTipItem* GetRandom();
    // The tip with the id (the last shown one first); it then counts as shown. Null when none.
    const CTipItem* GetById(int id);

    int GetNotShownCount() const { return static_cast<int>(m_notShown.size()); }
    int GetShownCount() const { return static_cast<int>(m_shown.size()); }
    // Fixes the order of the random picks (tests).
    void Seed(std::uint32_t seed) { m_random.seed(seed); }

private:
    std::vector<CTipItem> m_notShown;
    std::vector<CTipItem> m_shown;
    std::mt19937 m_random;
};
