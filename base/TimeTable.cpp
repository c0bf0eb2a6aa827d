#include "base/TimeTable.h"

#include <algorithm>
#include <limits>

// A non-empty text that was never interned can be held by no cell, so it gets a handle that no
// cell holds (the table never grows that far).
zem::IdHandle HandleToMatch(const std::string& id)
{
    if (id.empty())
        return zem::kNoId;
    const zem::IdHandle handle = zem::FindId(id);
    return handle == zem::kNoId ? std::numeric_limits<zem::IdHandle>::max() : handle;
}

namespace {

const std::vector<CCourseTableNode::NodeData> kNoMoreData;

}  // namespace

// ---- CTimeTable

void CTimeTable::Clear() { m_values.fill(kFree); }

std::string CTimeTable::GetSectionStringOfSegment(int day, int segment) const
{
    std::string text(zem::kSectionCount, '0');
    for (int section = 0; section < zem::kSectionCount; ++section)
        if (IsValid(day, segment, section))
            text[section] = '1';
    return text;
}

void CTimeTable::SetSectionValueByString(int day, int segment, const std::string& text)
{
    const int count = std::min<int>(static_cast<int>(text.size()), zem::kSectionCount);
    for (int section = 0; section < count; ++section)
        SetValue(day, segment, section, text[section] == '1' ? kFree : kInvalid);
}

// ---- CCourseTableNode

std::vector<CCourseTableNode::NodeData>& CCourseTableNode::MoreList(int half)
{
    MoreData* more = More();
    if (!more) {
        more = new MoreData;
        m_more |= reinterpret_cast<std::uintptr_t>(more);
    }
    return more->lists[half == 2 ? 1 : 0];
}

void CCourseTableNode::DropMoreIfEmpty()
{
    MoreData* more = More();
    if (more && more->lists[0].empty() && more->lists[1].empty()) {
        delete more;
        m_more &= kInterleaveBit;
    }
}

void CCourseTableNode::Clear(const std::string& courseId) { Clear(HandleToMatch(courseId)); }

void CCourseTableNode::Clear(zem::IdHandle course)
{
    if (course == zem::kNoId) {
        Clear();
        return;
    }
    if (m_half1.GetCourseHandle() == course)
        m_half1.Clear();
    else if (m_half2.GetCourseHandle() == course)
        m_half2.Clear();
    if (MoreData* more = More()) {
        for (std::vector<NodeData>& list : more->lists)
            std::erase_if(list, [course](const NodeData& d) { return d.GetCourseHandle() == course; });
        DropMoreIfEmpty();
    }
}

zem::IdHandle CCourseTableNode::GetFirstValidCourseHandle() const
{
    if (m_half1.HasCourse())
        return m_half1.GetCourseHandle();
    if (IsInterleave() && m_half2.HasCourse())
        return m_half2.GetCourseHandle();
    return zem::kNoId;
}

int CCourseTableNode::GetCourseIds(std::vector<std::string>& ids, int half) const
{
    const int chosen = half == 2 && IsInterleave() ? 2 : 1;
    const NodeData& d = data(chosen);
    if (d.HasCourse())
        ids.push_back(d.GetCourseId());
    AppendMoreCourseIds(ids, GetMoreVector(chosen));
    return static_cast<int>(ids.size());
}

int CCourseTableNode::GetCourseHandles(std::vector<zem::IdHandle>& courses, int half) const
{
    const int chosen = half == 2 && IsInterleave() ? 2 : 1;
    const NodeData& d = data(chosen);
    if (d.HasCourse())
        courses.push_back(d.GetCourseHandle());
    for (const NodeData& more : GetMoreVector(chosen))
        courses.push_back(more.GetCourseHandle());
    return static_cast<int>(courses.size());
}

void CCourseTableNode::AppendMoreCourseIds(std::vector<std::string>& ids, const std::vector<NodeData>& more)
{
    for (const NodeData& d : more)
        ids.push_back(d.GetCourseId());
}

void CCourseTableNode::GetMoreData(std::vector<NodeData*>& out, int half)
{
    if (More())
        for (NodeData& d : MoreList(half))
            out.push_back(&d);
}

void CCourseTableNode::GetMoreData(std::vector<const NodeData*>& out, int half) const
{
    for (const NodeData& d : GetMoreVector(half))
        out.push_back(&d);
}

const std::vector<CCourseTableNode::NodeData>& CCourseTableNode::GetMoreVector(int half) const
{
    const MoreData* more = More();
    return more ? more->lists[half == 2 ? 1 : 0] : kNoMoreData;
}

int CCourseTableNode::GetOddEven(const std::string& courseId) const { return GetOddEven(HandleToMatch(courseId)); }

int CCourseTableNode::GetOddEven(zem::IdHandle course) const
{
    if (!IsInterleave())
        return 0;
    if (m_half2.GetCourseHandle() == course)
        return 2;
    if (m_half1.GetCourseHandle() == course)
        return 1;
    const auto holds = [course](const std::vector<NodeData>& list) {
        return std::any_of(list.begin(), list.end(), [course](const NodeData& d) { return d.GetCourseHandle() == course; });
    };
    if (holds(GetMoreVector(2)))
        return 2;
    if (holds(GetMoreVector(1)))
        return 1;
    return 0;
}

void CCourseTableNode::Combine(const CCourseTableNode& other)
{
    if (&other == this) {
        const CCourseTableNode copy(other);
        Combine(copy);
        return;
    }
    for (int half : {1, 2}) {
        const NodeData& theirs = other.data(half);
        if (!theirs.HasCourse())
            continue;
        NodeData& mine = data(half);
        if (mine.HasCourse())
            MoreList(half).push_back(theirs);
        else
            mine = theirs;
    }
    if (other.IsInterleave())
        SetInterleave(true);
}

bool CCourseTableNode::operator==(const CCourseTableNode& other) const
{
    return IsInterleave() == other.IsInterleave() && m_half1 == other.m_half1 && m_half2 == other.m_half2 &&
           IsSameVector(GetMoreVector(1), other.GetMoreVector(1)) &&
           IsSameVector(GetMoreVector(2), other.GetMoreVector(2));
}

// ---- CCourseTable

void CCourseTable::Clear()
{
    CTimeTable::Clear();
    for (std::unique_ptr<Row>& row : m_rows)
        if (row)
            ClearRow(*row);
}

void CCourseTable::CopyRows(const CCourseTable& other)
{
    for (int i = 0; i < kRowCount; ++i) {
        const Row* theirs = other.m_rows[i].get();
        std::unique_ptr<Row>& mine = m_rows[i];
        // Exactly a fresh cell, room and split included: IsEmpty() looks at courses only.
        const bool holds = theirs && std::any_of(theirs->begin(), theirs->end(),
                                                 [](const CCourseTableNode& cell) { return cell != EmptyNode(); });
        if (holds && mine)
            *mine = *theirs;
        else if (holds)
            mine = std::make_unique<Row>(*theirs);
        else if (mine)
            ClearRow(*mine);
    }
}

void CCourseTable::MoveRows(CCourseTable& other) noexcept
{
    for (int i = 0; i < kRowCount; ++i) {
        std::unique_ptr<Row>& theirs = other.m_rows[i];
        std::unique_ptr<Row>& mine = m_rows[i];
        if (!mine)
            mine = std::move(theirs);
        else if (theirs)
            *mine = std::move(*theirs);
        else
            ClearRow(*mine);
    }
}

CCourseTableNode& CCourseTable::ScratchNode()
{
    m_scratch.Clear();
    return m_scratch;
}

const CCourseTableNode& CCourseTable::EmptyNode()
{
    static const CCourseTableNode empty;
    return empty;
}

// ---- CComplexTable

void CComplexTable::Resize(unsigned n)
{
    if (n == GetCount())
        return;
    // New tables come cleared; the kept ones keep their cells, statuses and dirty flags.
    m_temps.resize(n);
    m_tables.resize(n);
    if (n == 0) {
        m_temps.shrink_to_fit();
        m_tables.shrink_to_fit();
    }
}

unsigned CComplexTable::GetPlacesInUse() const
{
    auto holdsLesson = [](const CCourseTable& table) {
        for (int day = 0; day < zem::kDayCount; ++day)
            for (int segment = 0; segment < zem::kSegmentCount; ++segment)
                for (int section = 0; section < zem::kSectionCount; ++section)
                    if (!table.GetNode(day, segment, section).IsEmpty())
                        return true;
        return false;
    };
    for (unsigned n = GetCount(); n > 0; --n)
        if (holdsLesson(m_tables[n - 1]) || holdsLesson(m_temps[n - 1]))
            return n;
    return 0;
}

CCourseTable* CComplexTable::Enum(bool temp, int i)
{
    std::vector<CCourseTable>& set = Set(temp);
    return i >= 0 && i < static_cast<int>(set.size()) ? &set[i] : nullptr;
}

const CCourseTable* CComplexTable::Enum(bool temp, int i) const
{
    const std::vector<CCourseTable>& set = Set(temp);
    return i >= 0 && i < static_cast<int>(set.size()) ? &set[i] : nullptr;
}

namespace {

// Whether the cell can take a lesson for these weeks without pushing out one already there: a
// whole-week lesson needs both halves empty, an even-week one must not land beside a whole-week
// lesson.
bool CanTake(const CCourseTableNode& cell, int oddEven)
{
    switch (oddEven) {
    case 1:
        return !cell.data(1).HasCourse();
    case 2:
        return !cell.data(2).HasCourse() && (cell.IsInterleave() || !cell.data(1).HasCourse());
    default:
        return !cell.data(1).HasCourse() && !cell.data(2).HasCourse();
    }
}

}  // namespace

CCourseTable* CComplexTable::PickFree(bool temp, const tagTABLE_NODE& node, int oddEven, int& index)
{
    // No slot outside the grid is free, whatever its empty scratch cell says.
    if (!IsNodeInRange(node))
        return nullptr;
    std::vector<CCourseTable>& set = Set(temp);
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (CanTake(set[i].GetNode(node), oddEven)) {
            index = static_cast<int>(i);
            return &set[i];
        }
    }
    return nullptr;
}

int CComplexTable::PickUsedTableIndex(bool temp, const tagTABLE_NODE& node, int half, const std::string& courseId) const
{
    return PickUsedTableIndex(temp, node, half, HandleToMatch(courseId));
}

int CComplexTable::PickUsedTableIndex(bool temp, const tagTABLE_NODE& node, int half, zem::IdHandle course) const
{
    if (!IsNodeInRange(node))
        return -1;
    const std::vector<CCourseTable>& set = Set(temp);
    for (std::size_t i = 0; i < set.size(); ++i)
        if (set[i].GetNode(node).data(half).GetCourseHandle() == course)
            return static_cast<int>(i);
    return -1;
}

CCourseTable* CComplexTable::PickUsed(bool temp, const tagTABLE_NODE& node, int half, const std::string& courseId, int& index)
{
    const int found = PickUsedTableIndex(temp, node, half, courseId);
    if (found < 0)
        return nullptr;
    index = found;
    return &Set(temp)[found];
}

void CComplexTable::Combine(CCourseTable& target, bool temp) const
{
    const std::vector<CCourseTable>& set = Set(temp);
    if (set.empty())
        return;
    for (int day = 0; day < zem::kDayCount; ++day) {
        for (int segment = 0; segment < zem::kSegmentCount; ++segment) {
            for (int section = 0; section < zem::kSectionCount; ++section) {
                if (target.IsInvalid(day, segment, section))
                    continue;
                std::size_t used = 0;
                CCourseTableNode& cell = target.GetNode(day, segment, section);
                for (const CCourseTable& table : set) {
                    if (table.IsUsed(day, segment, section)) {
                        cell.Combine(table.GetNode(day, segment, section));
                        ++used;
                    }
                }
                target.SetValue(day, segment, section, used == set.size() ? CTimeTable::kFullUsed : CTimeTable::kFree);
            }
        }
    }
}
