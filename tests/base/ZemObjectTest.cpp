#include "base/ZemObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// Records its deletion, the references it was asked to re-point and what it absorbed.
class Probe : public CZemObject {
public:
    Probe(const std::string& id, const std::string& name, std::vector<std::string>* deleted = nullptr)
        : m_deleted(deleted)
    {
        SetId(id);
        SetName(name);
    }
    ~Probe() override
    {
        if (m_deleted)
            m_deleted->push_back(GetId());
    }
    Probe* Clone() const override
    {
        auto* clone = new Probe(GetId(), GetName());
        clone->Copy(this);
        return clone;
    }
    void Replace(const std::string& oldId, const std::string& newId) override
    {
        if (reference == oldId)
            reference = newId;
    }
    void Combine(const CZemObject* other) override { absorbed.push_back(other->GetName()); }

    std::string reference;
    std::vector<std::string> absorbed;

private:
    std::vector<std::string>* m_deleted;
};

TEST(ZemObject, FieldsCopyAndClone)
{
    CZemObject object;
    EXPECT_FALSE(object.IsValid());
    EXPECT_EQ(object.GetPriority(), 1);
    object.SetId("id1");
    object.SetName("语文");
    object.SetIndex(4);
    object.SetPriority(0);
    const std::unique_ptr<CZemObject> clone(object.Clone());
    EXPECT_EQ(clone->GetId(), "id1");
    EXPECT_EQ(clone->GetName(), "语文");
    EXPECT_EQ(clone->GetIndex(), 4);
    EXPECT_EQ(clone->GetPriority(), 0);
    EXPECT_TRUE(clone->IsValid());
}

TEST(ZemTableObject, ShortNameTablesAndCopies)
{
    CZemTableObject object;
    object.SetId("c1");
    object.SetName("高一(1)班");
    EXPECT_EQ(object.GetShortName(), "高一(1)班");
    object.SetShortName("一1");
    EXPECT_EQ(object.GetShortName(), "一1");

    const tagTABLE_NODE node{1, 0, 2};
    object.GetTempTable().GetNode(node).data(1).SetCourseId("p1");
    object.GetTempTable().SetValue(node, 100);
    EXPECT_EQ(object.GetTable(false).GetValue(node), 0);
    object.SaveTempTable();
    EXPECT_EQ(object.GetTable(false).GetNode(node).GetCourseId(0), "p1");
    object.GetTable(true).Clear();
    object.ReadTempTable();
    EXPECT_EQ(object.GetTable(true).GetValue(node), 100);

    const std::unique_ptr<CZemTableObject> clone(object.Clone());
    EXPECT_EQ(clone->GetId(), "c1");
    EXPECT_EQ(clone->GetShortName(), "一1");
    EXPECT_EQ(clone->GetTable(false).GetNode(node).GetCourseId(0), "p1");
    EXPECT_EQ(clone->GetTable(true).GetValue(node), 100);

    CZemTableObject target;
    target.SetId("t");
    target.SetName("target");
    target.CopyTable(&object);  // tables and short name only
    EXPECT_EQ(target.GetId(), "t");
    EXPECT_EQ(target.GetName(), "target");
    EXPECT_EQ(target.GetShortName(), "一1");
    EXPECT_EQ(target.GetTable(true).GetNode(node).GetCourseId(0), "p1");
    target.Copy(&object);
    EXPECT_EQ(target.GetId(), "c1");
    CZemTableObject assigned;
    assigned = object;
    EXPECT_EQ(assigned.GetTable(false).GetNode(node), object.GetTable(false).GetNode(node));
}

class ObjectListTest : public ::testing::Test {
protected:
    Probe* Make(const std::string& id, const std::string& name) { return new Probe(id, name, &deleted); }

    std::vector<std::string> deleted;  // declared before the list, so it outlives the list's objects
    CZemObjectList list;
};

TEST_F(ObjectListTest, LookupsByIdAndName)
{
    Probe* a = Make("a", "甲");
    Probe* b = Make("b", "乙");
    EXPECT_TRUE(list.Add(a));
    EXPECT_TRUE(list.Update(b));
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Find("a"), a);
    EXPECT_EQ(list.Find("A"), nullptr);  // keys compare exactly
    EXPECT_EQ(list.FindByName("乙"), b);
    EXPECT_EQ(list.GetObjectName("b"), "乙");
    EXPECT_EQ(list.GetObjectName("zz"), "");
    EXPECT_EQ(list.GetObjectId("甲"), "a");
    EXPECT_EQ(list.GetObjectId("丙"), "");

    std::set<std::string> ids;
    for (const auto& [id, object] : list)
        ids.insert(object->GetId());
    EXPECT_EQ(ids, (std::set<std::string>{"a", "b"}));

    EXPECT_TRUE(list.Remove("absent"));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_TRUE(deleted.empty());
}

TEST_F(ObjectListTest, RenameKeepsTheOldNameUntilRemoved)
{
    Probe* a = Make("a", "old");
    list.Add(a);
    a->SetName("new");
    EXPECT_TRUE(list.Modify(a));
    EXPECT_EQ(list.FindByName("old"), a);
    EXPECT_EQ(list.FindByName("new"), a);

    EXPECT_TRUE(list.Remove("a"));
    EXPECT_EQ(deleted, std::vector<std::string>{"a"});
    // Neither name may lead to the deleted object.
    EXPECT_EQ(list.FindByName("old"), nullptr);
    EXPECT_EQ(list.FindByName("new"), nullptr);
    EXPECT_EQ(list.GetObjectId("old"), "");

    Probe outsider("x", "outsider");
    EXPECT_FALSE(list.Modify(&outsider));  // not in the list: no entry to a foreign object
    EXPECT_EQ(list.FindByName("outsider"), nullptr);
}

TEST_F(ObjectListTest, AddUnderAnExistingIdReplacesTheObject)
{
    Probe* first = Make("a", "first");
    list.Add(first);
    first->SetName("renamed");
    list.Modify(first);
    list.Add(first);  // the same object again: kept
    EXPECT_TRUE(deleted.empty());

    Probe* second = Make("a", "second");
    list.Add(second);
    EXPECT_EQ(deleted, std::vector<std::string>{"a"});
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.Find("a"), second);
    EXPECT_EQ(list.FindByName("first"), nullptr);
    EXPECT_EQ(list.FindByName("renamed"), nullptr);
    EXPECT_EQ(list.FindByName("second"), second);

    // Taking over a name leaves the other object reachable by its id.
    Probe* b = Make("b", "second");
    list.Add(b);
    EXPECT_EQ(list.FindByName("second"), b);
    EXPECT_EQ(list.Find("a"), second);
}

TEST_F(ObjectListTest, ReplaceReKeysOrRePoints)
{
    Probe* a = Make("a", "甲");
    Probe* b = Make("b", "乙");
    a->reference = "b";
    b->reference = "a";
    list.Add(a);
    list.Add(b);

    // An id of the list: that object is re-keyed, references stay.
    list.Replace("a", "a2");
    EXPECT_EQ(list.Find("a"), nullptr);
    EXPECT_EQ(list.Find("a2"), a);
    EXPECT_EQ(a->GetId(), "a2");
    EXPECT_EQ(list.FindByName("甲"), a);
    EXPECT_EQ(b->reference, "a");

    // Not an id of the list: every object re-points.
    b->reference = "ext";
    a->reference = "ext";
    list.Replace("ext", "ext2");
    EXPECT_EQ(a->reference, "ext2");
    EXPECT_EQ(b->reference, "ext2");

    // The old id may be a reference to the object's own id.
    list.Replace(b->GetId(), "b2");
    EXPECT_EQ(list.Find("b"), nullptr);
    EXPECT_EQ(list.Find("b2"), b);
    EXPECT_EQ(a->reference, "ext2");
    EXPECT_TRUE(deleted.empty());
}

TEST_F(ObjectListTest, CombineClonesNewObjectsAndMergesKnownOnes)
{
    CZemObjectList other;
    for (const char* id : {"x", "y", "z"}) {
        Probe* object = new Probe(id, std::string("name-") + id);
        object->SetIndex(7);
        other.Add(object);
    }
    list.Combine(other);
    ASSERT_EQ(list.GetCount(), 3);
    // Clones are numbered in the other list's enumeration order.
    int expected = 0;
    for (const auto& [id, theirs] : other) {
        CZemObject* mine = list.Find(id);
        ASSERT_NE(mine, nullptr);
        EXPECT_NE(mine, theirs);
        EXPECT_EQ(mine->GetName(), theirs->GetName());
        EXPECT_EQ(mine->GetIndex(), expected++);
        EXPECT_EQ(theirs->GetIndex(), 7);
    }

    Probe* y = static_cast<Probe*>(list.Find("y"));
    Probe* w = new Probe("w", "name-w");
    other.Add(w);
    list.Combine(other);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.Find("w")->GetIndex(), 3);
    EXPECT_EQ(y->absorbed, std::vector<std::string>{"name-y"});
    EXPECT_EQ(other.GetCount(), 4);
    EXPECT_EQ(other.Find("w"), w);

    list.Combine(list);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(y->absorbed.size(), 2u);
}

TEST_F(ObjectListTest, RemoveAllAndDestructionDeleteEveryObject)
{
    list.Add(Make("a", "甲"));
    list.Add(Make("b", "乙"));
    EXPECT_TRUE(list.RemoveAll());
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.FindByName("甲"), nullptr);
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (std::vector<std::string>{"a", "b"}));

    deleted.clear();
    {
        CZemObjectList scoped;
        scoped.Add(Make("c", "丙"));
        // An id changed without Replace leaves the object under two ids; it is still deleted once.
        Probe* d = Make("d", "丁");
        scoped.Add(d);
        d->SetId("d2");
        scoped.Add(d);
    }
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (std::vector<std::string>{"c", "d2"}));
}

TEST(ZemPrioritySet, Lookups)
{
    const CZemPrioritySet set;
    ASSERT_EQ(set.GetCount(), 3);
    const char* const descs[] = {"高", "正常", "低"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(set.GetAt(i), nullptr);
        EXPECT_EQ(set.GetAt(i)->GetCode(), i);
        EXPECT_EQ(set.GetDescByIndex(i), descs[i]);
        EXPECT_EQ(set.GetDescByCode(i), descs[i]);
        EXPECT_EQ(set.GetIndexByDesc(descs[i]), i);
    }
    EXPECT_EQ(set.GetAt(3), nullptr);
    EXPECT_EQ(set.GetAt(-1), nullptr);
    EXPECT_EQ(set.GetDescByIndex(3), "");
    EXPECT_EQ(set.GetDescByIndex(-1), "");
    EXPECT_EQ(set.GetDescByCode(5), "");
    EXPECT_EQ(set.GetIndexByDesc("中"), 1);
    EXPECT_EQ(set.GetIndexByDesc(""), 1);
}

}  // namespace
