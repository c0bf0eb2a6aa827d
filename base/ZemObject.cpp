#include "base/ZemObject.h"

#include <algorithm>
#include <unordered_set>

// ---- CZemObject

CZemObject* CZemObject::Clone() const
{
    auto* clone = new CZemObject;
    clone->Copy(this);
    return clone;
}

void CZemObject::Copy(const CZemObject* other)
{
    if (!other || other == this)
        return;
    m_id = other->m_id;
    m_name = other->m_name;
    m_priority = other->m_priority;
    m_index = other->m_index;
}

// ---- CZemTableObject

CZemTableObject* CZemTableObject::Clone() const
{
    auto* clone = new CZemTableObject;
    clone->Copy(this);
    return clone;
}

void CZemTableObject::Copy(const CZemTableObject* other)
{
    CZemObject::Copy(other);
    CopyTableImpl(other);
}

void CZemTableObject::CopyTableImpl(const CZemTableObject* other)
{
    if (!other || other == this)
        return;
    m_shortName = other->m_shortName;
    m_tempTable = other->m_tempTable;
    m_table = other->m_table;
}

// ---- CZemObjectList

bool CZemObjectList::Add(CZemObject* object)
{
    if (!object)
        return false;
    if (auto it = m_ids.find(object->GetId()); it != m_ids.end() && it->second != object) {
        // The object taking over the id replaces the old one entirely; no name may lead to it.
        CZemObject* replaced = it->second;
        Detach(replaced);
        delete replaced;
    }
    m_ids[object->GetId()] = object;
    m_names[object->GetName()] = object;
    return true;
}

bool CZemObjectList::Modify(CZemObject* object)
{
    if (!object || Find(object->GetId()) != object)
        return false;
    m_names[object->GetName()] = object;
    return true;
}

CZemObject* CZemObjectList::Find(const std::string& id) const
{
    auto it = m_ids.find(id);
    return it == m_ids.end() ? nullptr : it->second;
}

CZemObject* CZemObjectList::FindByName(const std::string& name) const
{
    auto it = m_names.find(name);
    return it == m_names.end() ? nullptr : it->second;
}

std::string CZemObjectList::GetObjectName(const std::string& id) const
{
    const CZemObject* object = Find(id);
    return object ? object->GetName() : std::string();
}

std::string CZemObjectList::GetObjectId(const std::string& name) const
{
    const CZemObject* object = FindByName(name);
    return object ? object->GetId() : std::string();
}

void CZemObjectList::Replace(const std::string& oldIdRef, const std::string& newIdRef)
{
    // Copies: a caller may pass an id held by an object that this call changes.
    const std::string oldId = oldIdRef;
    const std::string newId = newIdRef;
    if (auto it = m_ids.find(oldId); it != m_ids.end()) {
        CZemObject* object = it->second;
        m_ids.erase(it);
        object->SetId(newId);
        Add(object);
        return;
    }
    for (const auto& [id, object] : m_ids)
        object->Replace(oldId, newId);
}

void CZemObjectList::Combine(const CZemObjectList& other)
{
    if (&other == this) {
        for (const auto& [id, object] : m_ids)
            object->Combine(object);
        return;
    }
    for (const auto& [id, theirs] : other.m_ids) {
        if (!theirs)
            continue;
        if (CZemObject* mine = Find(theirs->GetId())) {
            mine->Combine(theirs);
        } else if (CZemObject* clone = theirs->Clone()) {
            clone->SetIndex(GetCount());
            Add(clone);
        }
    }
}

bool CZemObjectList::Remove(const std::string& id)
{
    if (CZemObject* object = Find(id)) {
        Detach(object);
        delete object;
    }
    return true;
}

bool CZemObjectList::RemoveAll()
{
    // An object stored under two ids (its id changed without Replace) is deleted once.
    std::unordered_set<CZemObject*> owned;
    owned.reserve(m_ids.size());
    for (const auto& [id, object] : m_ids)
        owned.insert(object);
    m_ids.clear();
    m_names.clear();
    for (CZemObject* object : owned)
        delete object;
    return true;
}

void CZemObjectList::Detach(const CZemObject* object)
{
    const auto pointsAtObject = [object](const Map::value_type& entry) { return entry.second == object; };
    std::erase_if(m_ids, pointsAtObject);
    std::erase_if(m_names, pointsAtObject);
}

// ---- CZemPrioritySet

CZemPrioritySet::CZemPrioritySet() : m_items{CZemPriority(0, "高"), CZemPriority(1, "正常"), CZemPriority(2, "低")} {}

const CZemPriority* CZemPrioritySet::GetAt(int index) const
{
    return index >= 0 && index < GetCount() ? &m_items[index] : nullptr;
}

std::string CZemPrioritySet::GetDescByIndex(int index) const
{
    const CZemPriority* priority = GetAt(index);
    return priority ? priority->GetDesc() : std::string();
}

std::string CZemPrioritySet::GetDescByCode(int code) const
{
    auto it = std::find_if(m_items.begin(), m_items.end(), [code](const CZemPriority& p) { return p.GetCode() == code; });
    return it == m_items.end() ? std::string() : it->GetDesc();
}

int CZemPrioritySet::GetIndexByDesc(const std::string& desc) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_items[i].GetDesc() == desc)
            return i;
    return 1;
}
