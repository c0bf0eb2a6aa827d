#include "support/BasicDataTestSupport.h"

#include "app/data/ObjectListPages.h"
#include "support/MessageRecorder.h"
#include "app/data/TeacherGroupListPage.h"
#include "base/ScheduleTask.h"
#include "base/ScheduleValidator.h"
#include "base/TaskLimits.h"
#include "platform/Files.h"
#include "platform/gui/PopupMenu.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>

namespace {

enum class Kind { Class, Teacher, Subject, Room, Group };

std::unique_ptr<CBasicDataPage> MakePage(Kind kind)
{
    switch (kind) {
    case Kind::Class: return std::make_unique<CClassListPage>();
    case Kind::Teacher: return std::make_unique<CTeacherListPage>();
    case Kind::Subject: return std::make_unique<CSubjectListPage>();
    case Kind::Room: return std::make_unique<CRoomListPage>();
    case Kind::Group: return std::make_unique<CTeacherGroupListPage>();
    }
    return nullptr;
}

// One object of every kind named "Ab (1)", the name the duplicates are checked against.
class NamedSchool : public SmallSchool {
public:
    NamedSchool()
    {
        b.Class("cx", "Ab (1)");
        b.Teacher("tx", "Ab (1)");
        b.Subject("sx", "Ab (1)");
        b.Room("rx", "Ab (1)");
        b.Group("gx", "Ab (1)", {"t2"});
    }
};

std::vector<std::string> PageNames(const CBasicDataPage& page)
{
    return ColumnTexts(page, 1);
}

TEST(BasicDataPages, RefusedRowsLeaveThePageAsItWas)
{
    struct Case {
        const char* what;
        Kind kind;
        CPageRow cells;
        int replace;
        bool quiet;
        std::vector<std::string> shown;  // message boxes
        bool error;                      // stops an import
        std::string message;             // the record's text
    };
    const std::string fewCells = "只有1列数据。请参考导入界面，至少应提供2列数据";
    const Case cases[] = {
        {"blanks", Kind::Class, {"Ab(1)", "a"}, 0, false, {"Ab（1） 已存在"}, false, "Ab（1） 已存在"},
        {"letter case, quiet", Kind::Teacher, {"ab (1)", "a"}, 0, true, {}, false, "ab（1） 已存在"},
        {"full-width parentheses", Kind::Subject, {"Ab（1）", "a"}, 0, false, {"Ab（1） 已存在"}, false,
         "Ab（1） 已存在"},
        {"line feed and case, quiet", Kind::Room, {"AB\n (1)", "a", "2"}, 0, true, {}, false, "AB（1） 已存在"},
        {"group name", Kind::Group, {"aB (1) ", "t3"}, 0, false, {"aB（1） 已存在"}, false, "aB（1） 已存在"},
        {"blank name", Kind::Teacher, {" \n ", "a"}, 0, false, {"名称不能为空"}, false, "名称不能为空"},
        {"blank name, quiet", Kind::Class, {"  ", "a"}, 0, true, {}, false, "名称不能为空"},
        {"name GBK cannot hold", Kind::Subject, {"课\U0001F600", "a"}, 0, true, {}, true, "*"},
        // Said, so that an import can list the row, but shown by no box.
        {"class with one cell", Kind::Class, {"新班"}, 0, true, {}, false, fewCells},
        {"teacher with one cell", Kind::Teacher, {"新人"}, 0, false, {}, false, fewCells},
        {"subject with one cell", Kind::Subject, {"新课"}, 0, true, {}, false, fewCells},
        {"room with two cells", Kind::Room, {"新房", "新"}, 0, true, {}, false,
         "只有2列数据。请参考导入界面，至少应提供3列数据"},
        {"group with one cell", Kind::Group, {"新组"}, 0, true, {}, true, fewCells},
        {"replace without a selected row", Kind::Class, {"新班", "新"}, 1, false, {"请先选择要修改的行"}, false,
         "请先选择要修改的行"},
        {"replace without a selected row, quiet", Kind::Group, {"新组", "t1"}, 1, true, {}, false,
         "请先选择要修改的行"},
        {"negative room capacity", Kind::Room, {"新房", "新", "-2"}, 0, true, {}, true, "容纳班数必须大于0: -2"},
        {"room capacity 0", Kind::Room, {"新房", "新", "0"}, 0, false, {"容纳班数必须大于0: 0"}, true,
         "容纳班数必须大于0: 0"},
        {"huge negative room capacity", Kind::Room, {"新房", "新", "-99999999999"}, 0, true, {}, true,
         "容纳班数必须大于0: -99999999999"},
    };
    NamedSchool school;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<CBasicDataPage> page = MakePage(c.kind);
        ScriptedMessages messages;
        RunPage<CBasicDataPage>(*page, [&](CBasicDataPage& p) {
            p.GetList()->ClearSelectedRows();
            const std::vector<std::string> before = PageNames(p);
            const SentRow sent = SendRow(p, c.cells, c.replace, c.quiet);
            EXPECT_EQ(sent.answer, -1);
            EXPECT_FALSE(sent.notify.accepted);
            EXPECT_EQ(sent.notify.error, c.error);
            if (std::string(c.message) == "*")
                EXPECT_NE(sent.notify.message.find("\U0001F600"), std::string::npos) << sent.notify.message;
            else
                EXPECT_EQ(sent.notify.message, c.message);
            EXPECT_EQ(PageNames(p), before);
            EXPECT_FALSE(p.IsModified());
        });
        EXPECT_EQ(messages.Texts(), c.shown);
    }
}

// A task at its limit of a kind: a modify leaves the count alone and is taken, under a new name
// too, while an add is refused with the limit named; room places are summed, so a modify raising a
// capacity past the sum's limit is refused as an add is. Every refusal leaves the page as it was.
TEST(BasicDataPages, ModifiesAndAddsAreCheckedAgainstTheTaskLimitsOnTheResult)
{
    struct Case {
        const char* what;
        Kind kind;
        TaskObjectKind limit;
        std::function<void(SchoolBuilder&, std::size_t)> fill;  // the objects beside the small school's
        CPageRow row;
        int replace;
        std::size_t total;  // what the row makes of the limited count; 0: taken
    };
    const std::size_t places = GetTaskLimit(TaskObjectKind::RoomPlace).max;
    // Five rooms of 999 places and 机房's 2 leave 3 places.
    const auto roomsNearTheSum = [](SchoolBuilder& b, std::size_t) {
        for (int i = 0; i < 5; ++i)
            b.Room("rr" + std::to_string(i), "大厅" + std::to_string(i), 999);
    };
    const auto full = [](const char* prefix, auto add) {
        return [prefix, add](SchoolBuilder& b, std::size_t missing) {
            for (std::size_t i = 0; i < missing; ++i)
                add(b, "x" + std::to_string(i), prefix + std::to_string(i));
        };
    };
    const auto teacher = [](SchoolBuilder& b, const std::string& id, const std::string& name) { b.Teacher(id, name); };
    const auto cls = [](SchoolBuilder& b, const std::string& id, const std::string& name) { b.Class(id, name); };
    const auto subject = [](SchoolBuilder& b, const std::string& id, const std::string& name) { b.Subject(id, name); };
    const auto room = [](SchoolBuilder& b, const std::string& id, const std::string& name) { b.Room(id, name); };
    const auto group = [](SchoolBuilder& b, const std::string& id, const std::string& name) { b.Group(id, name, {"t1"}); };
    const Case cases[] = {
        {"teacher added", Kind::Teacher, TaskObjectKind::Teacher, full("师", teacher), {"赵六", "赵"}, 0, 3001},
        {"teacher renamed", Kind::Teacher, TaskObjectKind::Teacher, full("师", teacher), {"赵六", "赵"}, 1, 0},
        {"class added", Kind::Class, TaskObjectKind::Class, full("班", cls), {"初二(1)班", "初二1"}, 0, 1001},
        {"class renamed", Kind::Class, TaskObjectKind::Class, full("班", cls), {"初二(1)班", "初二1"}, 1, 0},
        {"subject added", Kind::Subject, TaskObjectKind::Subject, full("课", subject), {"英语", "英"}, 0, 1001},
        {"subject renamed", Kind::Subject, TaskObjectKind::Subject, full("课", subject), {"英语", "英"}, 1, 0},
        {"group added", Kind::Group, TaskObjectKind::TeacherGroup, full("组", group), {"数学组", "t2"}, 0, 1001},
        {"group renamed", Kind::Group, TaskObjectKind::TeacherGroup, full("组", group), {"数学组", "t2"}, 1, 0},
        {"room added", Kind::Room, TaskObjectKind::Room, full("室", room), {"操场", "操", "1"}, 0, 1001},
        {"room renamed", Kind::Room, TaskObjectKind::Room, full("室", room), {"操场", "操", "1"}, 1, 0},
        {"room places added to the sum", Kind::Room, TaskObjectKind::RoomPlace, roomsNearTheSum,
         {"操场", "操", "3"}, 0, 0},
        {"room places added past the sum", Kind::Room, TaskObjectKind::RoomPlace, roomsNearTheSum,
         {"操场", "操", "4"}, 0, places + 1},
        {"room capacity raised to the sum", Kind::Room, TaskObjectKind::RoomPlace, roomsNearTheSum,
         {"机房", "机", "5"}, 1, 0},
        {"room capacity raised past the sum", Kind::Room, TaskObjectKind::RoomPlace, roomsNearTheSum,
         {"机房", "机", "6"}, 1, places + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SmallSchool school;
        const std::size_t held = CountTaskObjects(school.Task(), c.limit);
        const std::size_t max = GetTaskLimit(c.limit).max;
        c.fill(school.b, max - held);
        std::unique_ptr<CBasicDataPage> page = MakePage(c.kind);
        ScriptedMessages messages;
        RunPage<CBasicDataPage>(*page, [&](CBasicDataPage& p) {
            // 机房, 张三, 初一(1)班, 语文 or 语文组: the small school's first row of the kind.
            SelectRow(p, 0);
            const std::vector<std::string> before = PageNames(p);
            const SentRow sent = SendRow(p, c.row, c.replace);
            if (c.total == 0) {
                EXPECT_EQ(sent.answer, 0) << sent.notify.message;
                return;
            }
            EXPECT_EQ(sent.answer, -1);
            EXPECT_EQ(sent.notify.message, CheckTaskLimitTotal(c.limit, c.total));
            EXPECT_EQ(PageNames(p), before);
            EXPECT_FALSE(p.IsModified());
        });
        const std::vector<std::string> shown =
            c.total == 0 ? std::vector<std::string>{} : std::vector<std::string>{CheckTaskLimitTotal(c.limit, c.total)};
        EXPECT_EQ(messages.Texts(), shown);
    }
}

TEST(BasicDataPages, TakenRowsFillTheColumnsWithTheirDefaults)
{
    struct Case {
        const char* what;
        Kind kind;
        CPageRow cells;
        std::vector<std::string> row;  // the new row's columns
    };
    const Case cases[] = {
        {"class without priority and head teacher", Kind::Class, {" 初二(1)班 ", "初二1"}, {"初二(1)班", "初二1", "正常", ""}},
        {"class with all cells", Kind::Class, {"初二(2)班", "初二2", "高", "王五"}, {"初二(2)班", "初二2", "高", "王五"}},
        {"teacher with a priority the task names", Kind::Teacher, {"赵六", "赵", "低"}, {"赵六", "赵", "低"}},
        {"subject", Kind::Subject, {"英语", "英"}, {"英语", "英", "正常"}},
        {"room capacity not a number", Kind::Room, {"操场", "操", "许多"}, {"操场", "操", "1"}},
        {"room capacity beyond any room", Kind::Room, {"操场", "操", "5000"}, {"操场", "操", "999"}},
        {"room capacity", Kind::Room, {"操场", "操", " 6 "}, {"操场", "操", "6"}},
        {"group by ids", Kind::Group, {"数学组", "t2,t3,t2"}, {"数学组", "2", "李四，王五"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SmallSchool school;
        std::unique_ptr<CBasicDataPage> page = MakePage(c.kind);
        ScriptedMessages messages;
        RunPage<CBasicDataPage>(*page, [&](CBasicDataPage& p) {
            const int rows = p.GetList()->GetItemCount();
            const SentRow sent = SendRow(p, c.cells, 0, true);
            EXPECT_EQ(sent.answer, 0);
            EXPECT_TRUE(sent.notify.accepted);
            ASSERT_EQ(p.GetList()->GetItemCount(), rows + 1);
            EXPECT_EQ(RowTexts(p, rows), c.row);
            // A fresh id, and the new row selected.
            EXPECT_TRUE(std::regex_match(p.GetList()->GetItemText(rows, 0), std::regex("[0-9a-f]{32}")));
            EXPECT_EQ(p.GetList()->GetSelectedRows(), std::vector<int>{rows});
            EXPECT_TRUE(p.IsModified());
        });
        EXPECT_TRUE(messages.Texts().empty());
    }
}

TEST(BasicDataPages, ReplacingKeepsTheRowsIdAndMayKeepItsName)
{
    SmallSchool school;
    CClassListPage page;
    RunPage<CClassListPage>(page, [&](CClassListPage& p) {
        SelectRow(p, 0);
        const std::string id = p.GetList()->GetItemText(0, 0);
        // The name unchanged: the row itself is no duplicate.
        EXPECT_EQ(SendRow(p, {"初一(1)班", "一1", "低"}, 1).answer, 0);
        EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{"初一(1)班", "一1", "低", "张三"}));
        EXPECT_EQ(p.GetList()->GetItemText(0, 0), id);
        EXPECT_EQ(p.GetList()->GetItemCount(), 2);
        // Another row's name is.
        SelectRow(p, 0);
        ScriptedMessages messages;
        EXPECT_EQ(SendRow(p, {"初一（2）班", "x"}, 1).answer, -1);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"初一（2）班 已存在"});
    });
}

// Members by name, in any separators, each once; a name of no teacher refuses the row, naming it, as it would
// otherwise be lost without a word.
TEST(BasicDataPages, TeacherGroupMembersByNameRefuseUnknownTeachers)
{
    SmallSchool school;
    CTeacherGroupListPage page;
    RunPage<CTeacherGroupListPage>(page, [&](CTeacherGroupListPage& p) {
        EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{"语文组", "1", "张三"}));
        const SentRow unknown = SendRow(p, {"综合组", "王五，无名氏、张三;李四\r\n张三"}, 0, true, true);
        EXPECT_EQ(unknown.answer, -1);
        EXPECT_EQ(unknown.notify.message, "教师组 综合组 的成员中有不是已有教师的名字：无名氏");
        EXPECT_EQ(p.GetList()->GetItemCount(), 1);
        const SentRow sent = SendRow(p, {"综合组", "王五，张三;李四\r\n张三"}, 0, true, true);
        EXPECT_EQ(sent.answer, 0);
        EXPECT_EQ(RowTexts(p, 1), (std::vector<std::string>{"综合组", "3", "王五，张三，李四"}));
        // Replacing gives the selected row's group the new name and members; an unknown one leaves it as it was.
        SelectRow(p, 0);
        EXPECT_EQ(SendRow(p, {"语文组", "李四；谁也不是"}, 1, true, true).answer, -1);
        EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{"语文组", "1", "张三"}));
        SelectRow(p, 0);
        EXPECT_EQ(SendRow(p, {"语文组", "李四"}, 1, true, true).answer, 0);
        EXPECT_EQ(RowTexts(p, 0), (std::vector<std::string>{"语文组", "1", "李四"}));
        ASSERT_TRUE(p.Save());
    });
    const auto* group = static_cast<CTeacherGroupInfo*>(school.Task().GetTeacherGroupInfoList().Find("g1"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetTeacherArray(), std::vector<std::string>{"t2"});
    const auto* added =
        static_cast<CTeacherGroupInfo*>(school.Task().GetTeacherGroupInfoList().FindByName("综合组"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetTeacherArray(), (std::vector<std::string>{"t3", "t1", "t2"}));
    EXPECT_EQ(added->GetIndex(), 1);
}

TEST(BasicDataPages, SaveStoresTheRowsOrderAndTheirFieldsInTheInputFile)
{
    DemoSchool school;
    ASSERT_NE(school.task, nullptr);
    const CScheduleTask& demo = *school.task;

    CRoomListPage page;
    ScriptedMessages messages;
    RunPage<CRoomListPage>(page, [&](CRoomListPage& p) {
        const std::string title = "教室和场地信息列表 （此处维护有竞争性的特殊教室，如计算机机房、操场等。每班一个的固定教室可以不录入）";
        EXPECT_EQ(p.Caption(), title);
        const int last = p.GetList()->GetItemCount() - 1;
        SelectRow(p, last);
        p.SendCommand(CListBaseDlg::IDC_MOVE_UP);
        EXPECT_EQ(p.Caption(), title + " (已修改,未保存)");
        SelectRow(p, 0);
        ASSERT_EQ(SendRow(p, {"操场", "场", "4"}, 1).answer, 0);  // a new short name and capacity
        ASSERT_EQ(SendRow(p, {"舞蹈室", "舞", "1"}).answer, 0);
        p.SendCommand(CListBaseDlg::IDC_SAVE);
        EXPECT_EQ(p.Caption(), title);
        EXPECT_FALSE(p.IsModified());
    });
    EXPECT_TRUE(messages.Texts().empty());

    // What the rows showed is what the file holds, in their order.
    std::unique_ptr<CScheduleTask> reopened = school.Open();
    ASSERT_NE(reopened, nullptr);
    std::vector<std::string> names;
    for (const CZemObject* room : ObjectsInOrder(reopened->GetRoomInfoList()))
        names.push_back(room->GetName());
    std::vector<std::string> expected;
    for (const CZemObject* room : ObjectsInOrder(demo.GetRoomInfoList()))
        expected.push_back(room->GetName());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(names.back(), "舞蹈室");
    std::vector<int> indices;
    for (const CZemObject* room : ObjectsInOrder(reopened->GetRoomInfoList()))
        indices.push_back(room->GetIndex());
    for (std::size_t i = 0; i < indices.size(); ++i)
        EXPECT_EQ(indices[i], static_cast<int>(i));
    const auto* ground = static_cast<CRoomInfo*>(reopened->GetRoomInfoList().FindByName("操场"));
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(ground->GetShortName(), "场");
    EXPECT_EQ(ground->GetCapacity(), 4u);
}

// Each class, teacher and subject field reaches the task, a rename is found by the new name and a
// deleted object is gone.
TEST(BasicDataPages, SaveWritesFieldsRenamesAndDeletions)
{
    SmallSchool school;
    {
        CClassListPage page;
        RunPage<CClassListPage>(page, [&](CClassListPage& p) {
            SelectRow(p, 0);
            ASSERT_EQ(SendRow(p, {"初一(9)班", "初一9", "高", "李四"}, 1).answer, 0);
            SelectRow(p, 1);
            p.SendCommand(CListBaseDlg::IDC_DELETE);
            ASSERT_TRUE(p.Save());
        });
    }
    CScheduleTask& task = school.Task();
    ASSERT_EQ(task.GetClassInfoList().GetCount(), 1);
    const auto* renamed = static_cast<CClassInfo*>(task.GetClassInfoList().FindByName("初一(9)班"));
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->GetId(), "c1");
    EXPECT_EQ(renamed->GetShortName(), "初一9");
    EXPECT_EQ(renamed->GetPriority(), 0);
    EXPECT_EQ(renamed->GetHeadTeacherName(), "李四");
    EXPECT_EQ(task.GetClass("c2"), nullptr);
    EXPECT_TRUE(zem::FileExists(school.folder / "input.xml"));

    {
        CTeacherListPage page;
        RunPage<CTeacherListPage>(page, [&](CTeacherListPage& p) {
            // A description that matches none would be shown as typed and stored as another: refused.
            ASSERT_EQ(SendRow(p, {"赵六", "赵", "特急"}, 0, true).answer, -1);
            ASSERT_EQ(SendRow(p, {"赵六", "赵", "低"}, 0, true).answer, 0);
            ASSERT_TRUE(p.Save());
        });
    }
    const CZemObject* added = task.GetTeacherInfoList().FindByName("赵六");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetPriority(), 2);
    EXPECT_EQ(added->GetIndex(), 3);
}

// The lessons of removed plans leave every table at once: no class or room stays busy for them.
TEST(BasicDataPages, DeletingATeacherRemovesItsPlansAndTheirLessons)
{
    SmallSchool school;
    CCourseInfo* gone = school.b.Course("k1", "c1", "s1", "t2", "2", "r1");
    CCourseInfo* kept = school.b.Course("k2", "c2", "s2", "t1", "2", "r1");
    school.b.Assistant("k1", {"t3"});
    CScheduleTask& task = school.Task();
    const tagTABLE_NODE monday{0, 0, 0}, tuesday{1, 0, 1};
    task.SetCourseNode(gone, "r1", false, monday, 0);
    task.SetCourseNode(gone, "r1", false, tuesday, 0);
    task.SetCourseNode(kept, "r1", false, monday, 0);
    // The places of the room taken at a time.
    auto placesTaken = [&](const tagTABLE_NODE& node) {
        int taken = 0;
        CComplexTable& places = task.GetRoom("r1")->GetComplexTable();
        for (int index = 0; const CCourseTable* table = places.Enum(false, index); ++index)
            taken += table->IsUsed(node) ? 1 : 0;
        return taken;
    };
    ASSERT_EQ(placesTaken(monday), 2);

    CTeacherListPage page;
    RunPage<CTeacherListPage>(page, [&](CTeacherListPage& p) {
        SelectRow(p, 1);  // 李四
        ASSERT_EQ(p.GetList()->GetItemText(1, 1), "李四");
        p.SendCommand(CListBaseDlg::IDC_DELETE);
        ASSERT_TRUE(p.Save());
    });
    EXPECT_EQ(task.FindCourse("k1"), nullptr);
    EXPECT_EQ(task.GetAssistant("k1"), nullptr);
    EXPECT_NE(task.FindCourse("k2"), nullptr);
    const CCourseTable& c1 = task.GetClass("c1")->GetTable(false);
    EXPECT_FALSE(c1.IsUsed(monday));
    EXPECT_FALSE(c1.IsUsed(tuesday));
    EXPECT_FALSE(task.GetTeacher("t3")->GetTable(false).IsUsed(monday));
    EXPECT_EQ(placesTaken(tuesday), 0);
    // The room's other lesson stays.
    EXPECT_EQ(placesTaken(monday), 1);
    EXPECT_TRUE(task.GetClass("c2")->GetTable(false).IsUsed(monday));
}

// A room cannot shrink below the places its lessons use: the lessons would leave the room while
// their classes and teachers keep them. Shrinking onto the places still free is allowed.
TEST(BasicDataPages, RoomCapacityNeverDropsLessons)
{
    SmallSchool school;
    CCourseInfo* first = school.b.Course("k1", "c1", "s1", "t1", "2", "r1");
    CCourseInfo* second = school.b.Course("k2", "c2", "s2", "t2", "2", "r1");
    CScheduleTask& task = school.Task();
    const tagTABLE_NODE monday{0, 0, 0};
    task.SetCourseNode(first, "r1", false, monday, 0);
    task.SetCourseNode(second, "r1", false, monday, 0);
    auto* room = static_cast<CRoomInfo*>(task.GetRoom("r1"));
    ASSERT_EQ(room->GetComplexTable().GetPlacesInUse(), 2u);

    struct Case {
        const char* capacity;
        bool saved;
        unsigned capacityAfter;
    };
    for (const Case& c : {Case{"1", false, 2}, Case{"3", true, 3}, Case{"2", true, 2}}) {
        SCOPED_TRACE(c.capacity);
        MessageRecorder messages;
        CRoomListPage page;
        RunPage<CRoomListPage>(page, [&](CRoomListPage& p) {
            p.GetList()->SetItemText(0, 3, c.capacity);
            EXPECT_EQ(p.Save(), c.saved);
        });
        EXPECT_EQ(room->GetCapacity(), c.capacityAfter);
        EXPECT_EQ(messages.Texts().empty(), c.saved);
        EXPECT_EQ(room->GetComplexTable().GetPlacesInUse(), 2u);
    }
    EXPECT_TRUE(task.GetClass("c1")->GetTable(false).IsUsed(monday));

    // Once the second lesson is gone, one place is enough.
    task.RemovePlans({"k2"});
    CRoomListPage page;
    RunPage<CRoomListPage>(page, [&](CRoomListPage& p) {
        p.GetList()->SetItemText(0, 3, "1");
        EXPECT_TRUE(p.Save());
    });
    EXPECT_EQ(room->GetCapacity(), 1u);
}

TEST(BasicDataPages, ClassesSortByGrade)
{
    SmallSchool school;
    CClassListPage page;
    RunPage<CClassListPage>(page, [&](CClassListPage& p) {
        for (const char* name : {"初三(1)班", "初二(2)班", "初二(1)班"})
            ASSERT_EQ(SendRow(p, {name, name}).answer, 0);
        p.SetModified(false);
        p.SendCommand(CListBaseDlg::IDC_SORT);
        EXPECT_EQ(PageNames(p), (std::vector<std::string>{"初一(1)班", "初一(2)班", "初二(1)班", "初二(2)班", "初三(1)班"}));
        EXPECT_TRUE(p.IsModified());
    });
}

TEST(BasicDataPages, TeachersSortByNameOrByGroupWithTheUngroupedLast)
{
    struct Case {
        int chosen;  // of the sort menu; 0 dismisses it
        std::vector<std::string> names;
        bool modified;
    };
    const Case cases[] = {
        {CTeacherListPage::ID_SORT_BY_GROUP, {"李四", "周八", "张三", "王五", "赵六"}, true},
        {CTeacherListPage::ID_SORT_BY_NAME, {"李四", "王五", "张三", "赵六", "周八"}, true},
        {0, {"张三", "李四", "王五", "赵六", "周八"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        SmallSchool school;
        school.b.Teacher("t4", "赵六");
        school.b.Teacher("t5", "周八");
        school.b.Group("g2", "数学组", {"t2", "t5"});
        school.b.Group("g3", "Art", {"t5"});  // 周八's first group is 数学组
        std::vector<std::string> menu;
        const auto previous = zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
            for (const zem::gui::MenuItem& item : items)
                menu.push_back(item.text);
            return c.chosen;
        });
        CTeacherListPage page;
        RunPage<CTeacherListPage>(page, [&](CTeacherListPage& p) {
            p.SendCommand(CListBaseDlg::IDC_SORT);
            EXPECT_EQ(PageNames(p), c.names);
            EXPECT_EQ(p.IsModified(), c.modified);
        });
        zem::gui::SetPopupMenuHook(previous);
        EXPECT_EQ(menu, (std::vector<std::string>{"按姓名排序", "按教师组排序"}));
    }
}

TEST(BasicDataPages, ClosingWithChangesAsksToSave)
{
    for (const int answer : {zem::IDNO, zem::IDYES}) {
        SCOPED_TRACE(answer);
        SmallSchool school;
        CSubjectListPage page;
        ScriptedMessages messages({answer});
        RunPage<CSubjectListPage>(page, [&](CSubjectListPage& p) {
            ASSERT_EQ(SendRow(p, {"英语", "英"}).answer, 0);
            EXPECT_EQ(p.Caption(), "课程信息列表 (已修改,未保存)");
            p.close();
            EXPECT_TRUE(p.IsEnded());
        });
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"列表内容已修改,要保存吗?"});
        EXPECT_EQ(school.Task().GetSubjectInfoList().FindByName("英语") != nullptr, answer == zem::IDYES);
        EXPECT_EQ(zem::FileExists(school.folder / "input.xml"), answer == zem::IDYES);
    }
}

TEST(BasicDataPages, ButtonColumnOffersBatchAddAndImport)
{
    SmallSchool school;
    for (const Kind kind : {Kind::Class, Kind::Teacher, Kind::Subject, Kind::Room, Kind::Group}) {
        std::unique_ptr<CBasicDataPage> page = MakePage(kind);
        RunPage<CBasicDataPage>(*page, [&](CBasicDataPage& p) {
            const std::vector<QWidget*>& column = p.GetButtonColumn();
            ASSERT_GE(column.size(), 3u);
            // 批量添加 first, then 添加 below it.
            EXPECT_EQ(column[0], p.GetDlgItem(CBasicDataPage::IDC_BATCH_ADD));
            EXPECT_EQ(column[1], p.GetDlgItem(CListBaseDlg::IDC_ADD));
            EXPECT_LT(column[0]->y() + column[0]->height(), column[1]->y());
            EXPECT_TRUE(p.GetDlgItem(CListBaseDlg::IDC_IMPORT)->isVisible());
            EXPECT_TRUE(p.IsItemEnabled(CListBaseDlg::IDC_IMPORT));
            EXPECT_TRUE(p.IsItemEnabled(CBasicDataPage::IDC_BATCH_ADD));
            if (kind == Kind::Class) {
                EXPECT_EQ(column.back(), p.GetDlgItem(CClassListPage::IDC_PROMOTE));
                EXPECT_EQ(p.GetDlgItemText(CClassListPage::IDC_PROMOTE), "升年级(&G)");
            }
        });
    }
}

// The five pages over the demo school, for a person to look at.
TEST(BasicDataPages, DemoSchoolScreenshots)
{
    DemoSchool school;
    ASSERT_NE(school.task, nullptr);
    const CScheduleTask* demo = school.task.get();
    const struct {
        Kind kind;
        const char* name;
        int rows;
    } pages[] = {{Kind::Class, "data-page-classes", demo->GetClassInfoList().GetCount()},
                 {Kind::Teacher, "data-page-teachers", demo->GetTeacherInfoList().GetCount()},
                 {Kind::Subject, "data-page-subjects", demo->GetSubjectInfoList().GetCount()},
                 {Kind::Room, "data-page-rooms", demo->GetRoomInfoList().GetCount()},
                 {Kind::Group, "data-page-teacher-groups", demo->GetTeacherGroupInfoList().GetCount()}};
    for (const auto& entry : pages) {
        SCOPED_TRACE(entry.name);
        std::unique_ptr<CBasicDataPage> page = MakePage(entry.kind);
        RunPage<CBasicDataPage>(*page, [&](CBasicDataPage& p) {
            EXPECT_EQ(p.GetList()->GetItemCount(), entry.rows);
            SelectRow(p, 1);
            p.UpdateButtons();
            SaveScreenshot(&p, entry.name);
        });
    }
}

}  // namespace

// A teacher put into a group whose fixed no-lesson time holds one of his lessons breaks the rule
// the page itself does not see: the save asks, naming the lesson, and on "否" leaves the task as it
// was with the page's row kept for mending; on "是" it saves the group as typed.
TEST(BasicDataPages, SaveAsksBeforeKeepingALessonOnAGroupsNoLessonTime)
{
    for (const int answer : {zem::IDNO, zem::IDYES}) {
        SCOPED_TRACE(answer == zem::IDYES ? "kept" : "not kept");
        SmallSchool school;
        CScheduleTask& built = school.Task();
        CCourseInfo* maths = school.b.Course("p2", "c2", "s2", "t2", "1");
        built.SetCourseNode(maths, "", false, tagTABLE_NODE{0, 1, 0}, 0);
        school.b.FixedTime<CFixedTimeOfTeacherGroup>(built.GetFixedTimeOfTeacherGroupList(), "g1", "10,");
        CScheduleTask& task = school.Reopen();

        CTeacherGroupListPage page;
        ScriptedMessages messages({answer});
        RunPage<CTeacherGroupListPage>(page, [&](CTeacherGroupListPage& p) {
            SelectRow(p, 0);
            ASSERT_EQ(SendRow(p, {"语文组", "t1,t2"}, 1).answer, 0);
            EXPECT_EQ(p.Save(), answer == zem::IDYES);
            EXPECT_EQ(p.IsModified(), answer != zem::IDYES);
            EXPECT_EQ(RowTexts(p, 0)[1], "2");
        });
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_NE(messages.Texts()[0].find("保存后以下课程违反了排课规则"), std::string::npos) << messages.Texts()[0];
        EXPECT_NE(messages.Texts()[0].find("语文组"), std::string::npos) << messages.Texts()[0];

        const std::size_t members = answer == zem::IDYES ? 2 : 1;
        auto membersOf = [](const CScheduleTask& t) {
            return static_cast<const CTeacherGroupInfo*>(t.GetTeacherGroupInfoList().Find("g1"))->GetTeacherArray().size();
        };
        EXPECT_EQ(membersOf(task), members);
        CScheduleTask reopened;
        ASSERT_TRUE(reopened.Open(task.GetTaskInfo().GetTaskFile(), TaskAccess::ReadOnly));
        EXPECT_EQ(membersOf(reopened), members);
        EXPECT_TRUE(CompareTimetables(task, reopened).IsClean());
    }
}
