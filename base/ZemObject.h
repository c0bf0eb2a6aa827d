#pragma once
// Keyed objects of a task, the objects that own timetables, the owning list that keeps each kind
// by id and by name, and the fixed priority vocabulary.
#include "base/TimeTable.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>
#include <vector>

class CZemObject {
public:
    CZemObject() = default;
    CZemObject(const CZemObject&) = default;
    CZemObject& operator=(const CZemObject&) = default;
    virtual ~CZemObject() = default;

    // Re-points references to other objects from one id to another; kinds that hold ids override it.
    virtual void Replace(const std::string& oldId, const std::string& newId) {}
    // Merges another object of the same kind into this one; most kinds keep themselves unchanged.
    virtual void Combine(const CZemObject* other) {}
    // A new object of the same class, filled by its Copy; the caller owns it.
    virtual CZemObject* Clone() const;
    // Id, name, priority and index.
    virtual void Copy(const CZemObject* other);

    const std::string& GetId() const { return m_id; }
    void SetId(const std::string& id) { m_id = id; }
    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int GetIndex() const { return m_index; }
    void SetIndex(int index) { m_index = index; }
    int GetPriority() const { return m_priority; }
    void SetPriority(int priority) { m_priority = priority; }
    bool IsValid() const { return !m_id.empty(); }

private:
    std::string m_id;
    std::string m_name;
    int m_index = 0;     // position in the display order
    int m_priority = 1;  // normal
};

// An object with a committed timetable and a working copy that screens and the engine fill and
// then commit or discard.
class CZemTableObject : public CZemObject {
public:
    CZemTableObject() = default;
    CZemTableObject(const CZemTableObject&) = default;
    CZemTableObject& operator=(const CZemTableObject&) = default;

    CZemTableObject* Clone() const override;
    using CZemObject::Copy;

    virtual void SetShortName(const std::string& shortName) { m_shortName = shortName; }
    // The short name, or the name when there is none.
    virtual const std::string& GetShortName() const { return m_shortName.empty() ? GetName() : m_shortName; }
    virtual CCourseTable& GetTempTable() { return m_tempTable; }
    virtual CCourseTable& GetTable(bool temp) { return temp ? m_tempTable : m_table; }
    const CCourseTable& GetTempTable() const { return m_tempTable; }
    const CCourseTable& GetTable(bool temp) const { return temp ? m_tempTable : m_table; }
    // Working copy := committed table.
    virtual void ReadTempTable() { m_tempTable = m_table; }
    // Committed table := working copy.
    virtual void SaveTempTable() { m_table = m_tempTable; }
    // Everything: the base fields, the short name and both tables.
    virtual void Copy(const CZemTableObject* other);
    // The short name and both tables only.
    virtual void CopyTable(const CZemTableObject* other) { CopyTableImpl(other); }

private:
    void CopyTableImpl(const CZemTableObject* other);

    CCourseTable m_tempTable;
    CCourseTable m_table;
    std::string m_shortName;
};

// Owns its objects, keyed by id, with a second index by name. Every object is found under its
// current id; the name index keeps an object under each name it was added, updated or modified
// with, as long as the object is in the list. Keys compare exactly. Enumeration follows no
// particular order: sort by index for display.
class CZemObjectList {
public:
    using Map = std::unordered_map<std::string, CZemObject*>;

    CZemObjectList() = default;
    CZemObjectList(const CZemObjectList&) = delete;
    CZemObjectList& operator=(const CZemObjectList&) = delete;
    virtual ~CZemObjectList() { CZemObjectList::RemoveAll(); }

    // Takes ownership and stores the object under its id and its name. A different object already
    // stored under the id is deleted. False only for null.
    bool Add(CZemObject* object);
    bool Update(CZemObject* object) { return Add(object); }
    // Stores an object of the list under its current name as well (after a rename); false when
    // the object is not the one stored under its id.
    bool Modify(CZemObject* object);

    CZemObject* Find(const std::string& id) const;
    CZemObject* FindByName(const std::string& name) const;
    std::string GetObjectName(const std::string& id) const;
    std::string GetObjectId(const std::string& name) const;

    // Re-keys the object stored under the old id; when there is none, asks every object to
    // re-point its references instead.
    virtual void Replace(const std::string& oldId, const std::string& newId);
    // Lets each object here with an id of the other list absorb that object; clones the others
    // and appends them to the display order. The other list is unchanged.
    void Combine(const CZemObjectList& other);
    // Deletes the object with the id, if any. Always true.
    virtual bool Remove(const std::string& id);
    // Deletes every object. Always true.
    virtual bool RemoveAll();

    int GetCount() const { return static_cast<int>(m_ids.size()); }
    bool IsEmpty() const { return m_ids.empty(); }
    // Pairs of id and object.
    Map::const_iterator begin() const { return m_ids.begin(); }
    Map::const_iterator end() const { return m_ids.end(); }

private:
    // Drops every entry of both maps that points at the object.
    void Detach(const CZemObject* object);

    Map m_ids;
    Map m_names;
};

// The objects of a list in display order: by index, then id. The lists are hash maps with no
// order of their own; walking them in this fixed order keeps saves byte-identical and a run with
// a given seed the same in every process.
template <class T = CZemObject>
std::vector<T*> ObjectsInOrder(const CZemObjectList& list)
{
    std::vector<T*> out;
    out.reserve(static_cast<std::size_t>(list.GetCount()));
    for (const auto& [id, object] : list)
        out.push_back(static_cast<T*>(object));
    std::sort(out.begin(), out.end(), [](const T* a, const T* b) {
        return a->GetIndex() != b->GetIndex() ? a->GetIndex() < b->GetIndex() : a->GetId() < b->GetId();
    });
    return out;
}

class CZemPriority {
public:
    CZemPriority() = default;
    CZemPriority(int code, std::string desc) : m_code(code), m_desc(std::move(desc)) {}
    CZemPriority(const CZemPriority&) = default;
    CZemPriority& operator=(const CZemPriority&) = default;
    virtual ~CZemPriority() = default;

    int GetCode() const { return m_code; }
    void SetCode(int code) { m_code = code; }
    const std::string& GetDesc() const { return m_desc; }
    void SetDesc(const std::string& desc) { m_desc = desc; }

private:
    int m_code = 0;
    std::string m_desc;
};

// The three priorities: high, normal (every object's default) and low. Filling a combo box with
// them is left to the program, which owns the controls.
class CZemPrioritySet {
public:
    CZemPrioritySet();
    virtual ~CZemPrioritySet() = default;

    int GetCount() const { return static_cast<int>(m_items.size()); }
    // Null outside 0..2.
    const CZemPriority* GetAt(int index) const;
    // Empty text when there is none.
    std::string GetDescByIndex(int index) const;
    std::string GetDescByCode(int code) const;
    // Normal (1) when no description matches exactly.
    int GetIndexByDesc(const std::string& desc) const;

private:
    std::array<CZemPriority, 3> m_items;
};
