#pragma once
// Timetables over the two-week cycle: the status grid of 420 slots, the cell that says which
// lesson sits in a slot, the timetable (grid plus cells) and the parallel timetables of a room
// that several lessons can use at once.
//
// A node outside the grid never reaches memory: writes to it are ignored, its status reads as
// not available and its cell reads as empty.
#include "base/TableNode.h"
#include "platform/IdTable.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The handle to compare a cell's id with: kNoId for the empty text, and for a text that was
// never interned one that no cell holds. Looking up never adds to the id table.
zem::IdHandle HandleToMatch(const std::string& id);

class CTimeTable {
public:
    using Status = std::int8_t;
    static constexpr Status kFree = 0;
    static constexpr Status kHalfUsed = 50;  // a lesson on odd or on even weeks only
    static constexpr Status kFullUsed = 100;
    static constexpr Status kInvalid = -100;  // not part of the school week, or blocked

    CTimeTable() = default;
    CTimeTable(const CTimeTable&) = default;
    CTimeTable& operator=(const CTimeTable&) = default;
    virtual ~CTimeTable() = default;

    // Every status to free; the dirty flag stays.
    virtual void Clear();

    void SetValue(const tagTABLE_NODE& node, Status value) { SetValue(node.day, node.segment, node.section, value); }
    void SetValue(int day, int segment, int section, Status value)
    {
        const int slot = SlotOf(day, segment, section);
        if (slot >= 0)
            m_values[slot] = value;
    }
    Status GetValue(const tagTABLE_NODE& node) const { return GetValue(node.day, node.segment, node.section); }
    Status GetValue(int day, int segment, int section) const
    {
        const int slot = SlotOf(day, segment, section);
        return slot >= 0 ? m_values[slot] : kInvalid;
    }
    // The whole grid in slot order, for scans over every slot.
    const Status* GetValues() const { return m_values.data(); }

    bool IsValid(const tagTABLE_NODE& node) const { return GetValue(node) == kFree; }
    bool IsValid(int day, int segment, int section) const { return GetValue(day, segment, section) == kFree; }
    bool IsInvalid(const tagTABLE_NODE& node) const { return GetValue(node) == kInvalid; }
    bool IsInvalid(int day, int segment, int section) const { return GetValue(day, segment, section) == kInvalid; }
    bool IsFullUsed(const tagTABLE_NODE& node) const { return GetValue(node) == kFullUsed; }
    bool IsFullUsed(int day, int segment, int section) const { return GetValue(day, segment, section) == kFullUsed; }
    bool IsHalfUsed(const tagTABLE_NODE& node) const { return GetValue(node) == kHalfUsed; }
    bool IsHalfUsed(int day, int segment, int section) const { return GetValue(day, segment, section) == kHalfUsed; }
    bool IsUsed(const tagTABLE_NODE& node) const { return IsUsedStatus(GetValue(node)); }
    bool IsUsed(int day, int segment, int section) const { return IsUsedStatus(GetValue(day, segment, section)); }
    static bool IsUsedStatus(Status value) { return value == kHalfUsed || value == kFullUsed; }

    // Free slots of the day over all five segments.
    int GetFreeNodeCount(int day) const
    {
        if (day < 0 || day >= zem::kDayCount)
            return 0;
        // Byte-wide counts of a fixed stretch, which the compiler turns into a few vector steps.
        const Status* values = DayValues(day);
        std::uint8_t count = 0;
        for (int i = 0; i < kDaySlots; ++i)
            count += static_cast<std::uint8_t>(values[i] == kFree);
        return count;
    }
    // Used slots of the day in the forenoon and the afternoon.
    int GetCommonUsedNodeCount(int day) const { return CountUsed<2 * zem::kSectionCount>(day); }
    // True when the day has at least n used slots over all five segments.
    bool IsDayUsed(int day, int n) const { return CountUsed<kDaySlots>(day) >= n; }

    // Six characters, one per section: "1" for a free slot, "0" otherwise.
    std::string GetSectionStringOfSegment(int day, int segment) const;
    // Per character, at most six: "1" makes the section free, anything else not available.
    void SetSectionValueByString(int day, int segment, const std::string& text);

    bool IsDirty() const { return m_dirty; }
    void SetDirty(bool dirty) { m_dirty = dirty; }

private:
    static constexpr int kDaySlots = zem::kSegmentCount * zem::kSectionCount;
    // A day's slots lie side by side in slot order.
    const Status* DayValues(int day) const { return &m_values[day * kDaySlots]; }
    // Used slots among the day's first ones.
    template <int kSlots>
    int CountUsed(int day) const
    {
        if (day < 0 || day >= zem::kDayCount)
            return 0;
        const Status* values = DayValues(day);
        std::uint8_t count = 0;
        for (int i = 0; i < kSlots; ++i)
            count += static_cast<std::uint8_t>((values[i] == kHalfUsed) | (values[i] == kFullUsed));
        return count;
    }

    std::array<Status, zem::kSlotCount> m_values{};
    bool m_dirty = false;
};

// One cell of a timetable. Ids are held as interned handles, so a cell is a few plain words and a
// timetable copies almost like memory. Halves: 2 addresses half 2 (even weeks), any other value
// half 1 (the whole week, or odd weeks when the cell is split).
class CCourseTableNode {
public:
    class NodeData {
    public:
        constexpr NodeData() = default;
        NodeData(zem::IdHandle course, zem::IdHandle room, int roomIndex)
            : m_course(course), m_room(room), m_roomIndex(roomIndex) {}
        NodeData(const std::string& courseId, const std::string& roomId, int roomIndex)
            : NodeData(zem::InternId(courseId), zem::InternId(roomId), roomIndex) {}

        const std::string& GetCourseId() const { return zem::IdText(m_course); }
        void SetCourseId(const std::string& id) { m_course = zem::InternId(id); }
        const std::string& GetRoomId() const { return zem::IdText(m_room); }
        void SetRoomId(const std::string& id) { m_room = zem::InternId(id); }
        // Which of a shared room's parallel timetables the lesson occupies; -1 for none.
        int GetRoomIndex() const { return m_roomIndex; }
        void SetRoomIndex(int index) { m_roomIndex = index; }

        zem::IdHandle GetCourseHandle() const { return m_course; }
        void SetCourseHandle(zem::IdHandle course) { m_course = course; }
        zem::IdHandle GetRoomHandle() const { return m_room; }
        void SetRoomHandle(zem::IdHandle room) { m_room = room; }

        bool HasCourse() const { return m_course != zem::kNoId; }
        void Clear() { *this = NodeData(); }

        bool operator==(const NodeData&) const = default;

    private:
        zem::IdHandle m_course = zem::kNoId;
        zem::IdHandle m_room = zem::kNoId;
        int m_roomIndex = -1;
    };

    constexpr CCourseTableNode() = default;
    CCourseTableNode(const CCourseTableNode& other)
        : m_half1(other.m_half1), m_half2(other.m_half2), m_more(other.m_more & kInterleaveBit)
    {
        if (const MoreData* more = other.More())
            m_more |= reinterpret_cast<std::uintptr_t>(new MoreData(*more));
    }
    CCourseTableNode(CCourseTableNode&& other) noexcept
        : m_half1(other.m_half1), m_half2(other.m_half2), m_more(other.m_more)
    {
        other.m_more &= kInterleaveBit;
    }
    CCourseTableNode& operator=(const CCourseTableNode& other)
    {
        if (this != &other) {
            m_half1 = other.m_half1;
            m_half2 = other.m_half2;
            MoreData* mine = More();
            if (const MoreData* theirs = other.More()) {
                if (mine)
                    *mine = *theirs;
                else
                    mine = new MoreData(*theirs);
            } else if (mine) {
                delete mine;
                mine = nullptr;
            }
            m_more = reinterpret_cast<std::uintptr_t>(mine) | (other.m_more & kInterleaveBit);
        }
        return *this;
    }
    CCourseTableNode& operator=(CCourseTableNode&& other) noexcept
    {
        swap(other);
        return *this;
    }
    ~CCourseTableNode() { delete More(); }

    void swap(CCourseTableNode& other) noexcept
    {
        std::swap(m_half1, other.m_half1);
        std::swap(m_half2, other.m_half2);
        std::swap(m_more, other.m_more);
    }

    // Without an id the whole cell is reset. With one, the first half holding the course (half 1,
    // else half 2) is emptied and every further lesson of it removed; the split stays.
    void Clear()
    {
        m_half1.Clear();
        m_half2.Clear();
        if (m_more != 0) {
            delete More();
            m_more = 0;
        }
    }
    void Clear(const std::string& courseId);
    void Clear(zem::IdHandle course);

    const std::string& GetFirstValidCourseId() const { return zem::IdText(GetFirstValidCourseHandle()); }
    zem::IdHandle GetFirstValidCourseHandle() const;

    const std::string& GetCourseId(int half) const { return Half(half).GetCourseId(); }
    zem::IdHandle GetCourseHandle(int half) const { return Half(half).GetCourseHandle(); }
    const std::string& GetRoomId(int half) const { return Half(half).GetRoomId(); }
    zem::IdHandle GetRoomHandle(int half) const { return Half(half).GetRoomHandle(); }
    int GetRoomIndex(int half) const { return Half(half).GetRoomIndex(); }

    // Appends the course of the half (half 2 only when split) and its further lessons' courses;
    // returns the array's new size.
    int GetCourseIds(std::vector<std::string>& ids, int half) const;
    int GetCourseHandles(std::vector<zem::IdHandle>& courses, int half) const;
    static void AppendMoreCourseIds(std::vector<std::string>& ids, const std::vector<NodeData>& more);

    // Appends a pointer to each further lesson of the half; the cell keeps owning them.
    void GetMoreData(std::vector<NodeData*>& out, int half);
    void GetMoreData(std::vector<const NodeData*>& out, int half) const;
    // The further lessons of the half (an empty vector when there are none).
    const std::vector<NodeData>& GetMoreVector(int half) const;
    bool HasMoreData(int half) const { return !GetMoreVector(half).empty(); }

    // The half itself, whether or not the cell is split.
    NodeData& data(int half) { return half == 2 ? m_half2 : m_half1; }
    const NodeData& data(int half) const { return half == 2 ? m_half2 : m_half1; }

    // 0 for a cell that is not split, else the half (1 odd, 2 even) that holds the course.
    int GetOddEven(const std::string& courseId) const;
    int GetOddEven(zem::IdHandle course) const;

    void SetInterleave(bool interleave) { m_more = (m_more & ~kInterleaveBit) | (interleave ? kInterleaveBit : 0); }
    bool IsInterleave() const { return (m_more & kInterleaveBit) != 0; }
    // Nothing in either half, no further lessons and not split: what a scan of a table skips.
    bool IsEmpty() const { return m_more == 0 && !m_half1.HasCourse() && !m_half2.HasCourse(); }

    // Adds the other cell's halves: into an empty half, else as a further lesson of that half.
    // The other's further lessons are not taken over; a split in the other splits this cell.
    void Combine(const CCourseTableNode& other);

    bool operator==(const CCourseTableNode& other) const;
    bool operator!=(const CCourseTableNode& other) const { return !(*this == other); }
    static bool IsSameVector(const std::vector<NodeData>& a, const std::vector<NodeData>& b) { return a == b; }

private:
    // The two rarely used lists of further lessons live behind one pointer, null when both are
    // empty. The pointer's low bit carries the split flag, which keeps the cell at four words.
    struct MoreData {
        std::vector<NodeData> lists[2];  // half 1, half 2
    };
    static constexpr std::uintptr_t kInterleaveBit = 1;
    static_assert(alignof(MoreData) > 1);

    MoreData* More() const { return reinterpret_cast<MoreData*>(m_more & ~kInterleaveBit); }
    std::vector<NodeData>& MoreList(int half);
    void DropMoreIfEmpty();
    // The half that the split-aware getters read.
    const NodeData& Half(int half) const { return half == 2 && IsInterleave() ? m_half2 : m_half1; }

    NodeData m_half1;
    NodeData m_half2;
    std::uintptr_t m_more = 0;
};

inline void swap(CCourseTableNode& a, CCourseTableNode& b) noexcept { a.swap(b); }

// A timetable: the status grid and the cell of every slot. Cells are kept in rows of a day's
// segment, made when a cell of the row is first reached for writing, so a table costs what it
// has held: a plan's table a few rows, a class's the rows of its school week. A cell never
// reached reads as empty. A row once made stays for the table's life (a clear or an assignment
// empties it in place), so a reference to a cell stays good as long as the table does.
class CCourseTable : public CTimeTable {
public:
    CCourseTable() = default;
    CCourseTable(const CCourseTable& other) : CTimeTable(other) { CopyRows(other); }
    CCourseTable(CCourseTable&& other) noexcept = default;
    CCourseTable& operator=(const CCourseTable& other)
    {
        if (this != &other) {
            CTimeTable::operator=(other);
            CopyRows(other);
        }
        return *this;
    }
    CCourseTable& operator=(CCourseTable&& other) noexcept
    {
        if (this != &other) {
            CTimeTable::operator=(other);
            MoveRows(other);
        }
        return *this;
    }

    // Status grid to free and every cell reset.
    void Clear() override;

    // The cell of a slot. A node outside the grid gets a scratch cell of this table, emptied on
    // every such call, so a write through it is lost and never lands in a real slot; the const
    // form gets a shared empty cell that nobody can write, as does a slot never written.
    CCourseTableNode& GetNode(const tagTABLE_NODE& node) { return GetNode(node.day, node.segment, node.section); }
    CCourseTableNode& GetNode(int day, int segment, int section)
    {
        const int slot = SlotOf(day, segment, section);
        return slot >= 0 ? CellOfSlot(slot) : ScratchNode();
    }
    const CCourseTableNode& GetNode(const tagTABLE_NODE& node) const { return GetNode(node.day, node.segment, node.section); }
    const CCourseTableNode& GetNode(int day, int segment, int section) const
    {
        return GetNodeOfSlot(SlotOf(day, segment, section));
    }
    // The cell of a slot in slot order (0..kSlotCount-1), for scans over every slot; the empty
    // cell outside the grid.
    const CCourseTableNode& GetNodeOfSlot(int slot) const
    {
        if (slot < 0 || slot >= zem::kSlotCount)
            return EmptyNode();
        const Row* row = m_rows[slot / zem::kSectionCount].get();
        return row ? (*row)[slot % zem::kSectionCount] : EmptyNode();
    }

private:
    static constexpr int kRowCount = zem::kSlotCount / zem::kSectionCount;
    using Row = std::array<CCourseTableNode, zem::kSectionCount>;

    CCourseTableNode& CellOfSlot(int slot)
    {
        std::unique_ptr<Row>& row = m_rows[slot / zem::kSectionCount];
        if (!row)
            row = std::make_unique<Row>();
        return (*row)[slot % zem::kSectionCount];
    }
    // This table's cells := the other's. A row that holds only fresh cells is not made.
    void CopyRows(const CCourseTable& other);
    // The same, taking the other's rows where this table has none.
    void MoveRows(CCourseTable& other) noexcept;
    static void ClearRow(Row& row) noexcept
    {
        for (CCourseTableNode& cell : row)
            cell.Clear();
    }
    CCourseTableNode& ScratchNode();
    static const CCourseTableNode& EmptyNode();

    std::array<std::unique_ptr<Row>, kRowCount> m_rows;
    CCourseTableNode m_scratch;
};

// The parallel timetables of a room that several lessons can use at the same time: table i
// holds the lessons in the room's i-th simultaneous place, in a temporary and a committed set.
class CComplexTable {
public:
    CComplexTable() = default;
    CComplexTable(const CComplexTable&) = default;
    CComplexTable& operator=(const CComplexTable&) = default;
    virtual ~CComplexTable() = default;

    // Keeps the first min(n, count) tables of both sets; new tables are cleared.
    void Resize(unsigned n);
    unsigned GetCount() const { return static_cast<unsigned>(m_tables.size()); }
    // One past the last table holding a lesson in either set: the fewest places the room can
    // shrink to without dropping lessons that classes and teachers keep.
    unsigned GetPlacesInUse() const;

    // Table i of the temporary (temp true) or committed set; null outside 0..count-1.
    CCourseTable* Enum(bool temp, int i);
    const CCourseTable* Enum(bool temp, int i) const;

    // The first table whose cell at the node can take a lesson for the weeks (0 every week,
    // 1 odd, 2 even) without pushing one out; null when none. A whole-week lesson needs both
    // halves empty. Only the cells decide, not the status grid.
    CCourseTable* PickFree(bool temp, const tagTABLE_NODE& node, int oddEven, int& index);
    // Position of the first table whose cell at the node holds the course in the half; -1 when none.
    int PickUsedTableIndex(bool temp, const tagTABLE_NODE& node, int half, const std::string& courseId) const;
    int PickUsedTableIndex(bool temp, const tagTABLE_NODE& node, int half, zem::IdHandle course) const;
    // That table and its position; null (index untouched) when none.
    CCourseTable* PickUsed(bool temp, const tagTABLE_NODE& node, int half, const std::string& courseId, int& index);

    // Merges the set into one timetable (after the target was cleared): every slot not blocked
    // in the target gets the lessons of all tables using it, and is full only when every place
    // of the room is taken.
    void Combine(CCourseTable& target, bool temp) const;

    void ReadTemps() { m_temps = m_tables; }
    void SaveTemps() { m_tables = m_temps; }

private:
    std::vector<CCourseTable>& Set(bool temp) { return temp ? m_temps : m_tables; }
    const std::vector<CCourseTable>& Set(bool temp) const { return temp ? m_temps : m_tables; }

    std::vector<CCourseTable> m_temps;
    std::vector<CCourseTable> m_tables;
};
