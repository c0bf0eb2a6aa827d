// The plan card strip: rows of cards for the host's size, card texts and their order, clicks and
// what the owner hears of them, and the period blocks of each card.
#include "support/PixelProbes.h"
#include "support/FakeAppServices.h"
#include "support/GeneratedSchool.h"
#include "support/ScreenTestSupport.h"
#include "app/shared/ObjectLists.h"
#include "app/taskhelper/TaskHelper.h"
#include "app/timetable/CourseListView.h"
#include "platform/gui/Messages.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace {

class CardOwner : public QWidget, public zem::gui::MessageReceiver {
public:
    struct Click {
        zem::WPARAM wasMarked;
        CCourseInfo* plan;
    };
    std::vector<Click> clicks;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        if (message == WM_COURSE_CARD_CLICK)
            clicks.push_back({wParam, zem::FromLParam<CCourseInfo>(lParam)});
        return 0;
    }
};

class CourseCardsTest : public testing::Test {
protected:
    void SetUp() override
    {
        task = MakeFilledSchool();
        ASSERT_TRUE(task);
        services.task = task.get();
        owner.resize(800, 200);
        owner.show();
        host.Create(&owner);
        cls = ObjectsInOrder<CClassInfo>(task->GetClassInfoList()).front();
        for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
            if (plan->GetClassId() == cls->GetId())
                plans.push_back(plan);
    }

    void ShowPlans(const std::vector<CCourseInfo*>& shown, int width, int height)
    {
        host.setGeometry(0, 0, width, height);
        host.SetCourses(task.get(), shown, TABLE_CLASS, &cls->GetTable(true), cls->GetId());
    }
    std::vector<CCourseInfo*> FirstPlans(std::size_t n) const
    {
        return {plans.begin(), plans.begin() + static_cast<std::ptrdiff_t>(std::min(n, plans.size()))};
    }
    // The number of cards in each row, top row first.
    std::vector<int> Rows() const
    {
        std::map<int, int> rows;
        for (const auto& card : host.GetView()->GetCards())
            ++rows[card->rect.top];
        std::vector<int> counts;
        for (const auto& [top, count] : rows)
            counts.push_back(count);
        return counts;
    }
    void ClickView(zem::Point at)
    {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at.x, at.y), QPointF(), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(host.GetView(), &press);
    }
    int ScrollBarHeight() const { return host.GetScrollBar()->sizeHint().height(); }

    std::unique_ptr<CScheduleTask> task;
    FakeAppServices services;
    CardOwner owner;
    CCourseListHost host;
    CClassInfo* cls = nullptr;
    std::vector<CCourseInfo*> plans;
};

TEST_F(CourseCardsTest, CardsStandInOneOrTwoRowsByTheHostsSize)
{
    ASSERT_GE(plans.size(), 7u);
    struct Case {
        std::size_t cards;
        int width;
        int innerHeight;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {7, 3 * 132 + 20, 110, {4, 3}},  // even two full rows of three would not hold them
        {5, 3 * 132 + 20, 110, {3, 2}},
        {7, 3 * 132 + 20, 79, {7}},      // too low for two rows
        {7, 3 * 132 + 20, 108, {7}},     // the second row would be cut
        {7, 8 * 132, 110, {7}},          // wide enough for all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cards << " cards, " << c.width << " x " << c.innerHeight);
        ShowPlans(FirstPlans(c.cards), c.width, c.innerHeight + ScrollBarHeight());
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(host.GetView()->GetViewWidth(), 5 + c.rows.front() * 132);
        EXPECT_EQ(host.GetScrollBar()->maximum(), std::max(0, 5 + c.rows.front() * 132 - c.width));
    }
    ShowPlans(FirstPlans(7), 3 * 132 + 20, 110 + ScrollBarHeight());
    SaveScreenshot(&host, "course-cards");
}

TEST_F(CourseCardsTest, CardsShowTheirPlanAndStandExceededIncompleteComplete)
{
    ShowPlans(plans, 800, 130);
    const auto& cards = host.GetView()->GetCards();
    ASSERT_EQ(cards.size(), plans.size());
    int lastGroup = 0;
    CTaskHelper helper(task.get());
    for (const auto& card : cards) {
        const int group = card->placed > card->planned ? 0 : card->placed < card->planned ? 1 : 2;
        EXPECT_GE(group, lastGroup) << card->line1;
        lastGroup = group;
        EXPECT_EQ(card->planned, card->plan->GetWeekCount());
        EXPECT_EQ(card->placed, helper.CountCourseNodes(card->plan->GetId(), &cls->GetTable(true), 0));
        const std::string subject = task->GetSubjectName(card->plan->GetSubjectId());
        EXPECT_EQ(card->line1, card->plan->GetType() == 0 ? subject : "[" + std::string(card->plan->GetType() == 1 ? "早读" : "晚自习") + "]" + subject);
        EXPECT_EQ(card->line2.rfind(task->GetAllTeacherName(card->plan, true, false), 0), 0u) << card->line2;
        const char* word = group == 0 ? "已超出" : group == 1 ? "未排完" : "已排完";
        EXPECT_EQ(card->statusLine,
                  std::string(word) + "(" + card->placed.ToString() + "/" + card->planned.ToString() + ")");
    }
    CWeekCount placed, planned;
    host.GetView()->GetTotals(placed, planned);
    EXPECT_EQ(placed, helper.GetWeekCount(&cls->GetTable(true)));
}

TEST_F(CourseCardsTest, AnAssistantSeesTheCardBadgedAfterTheOthers)
{
    const CCourseAssistant* assistant = nullptr;
    for (const auto& [id, object] : task->GetAssistantList())
        if (!static_cast<CCourseAssistant*>(object)->GetAssistants().empty() && task->FindCourse(id))
            assistant = static_cast<CCourseAssistant*>(object);
    ASSERT_TRUE(assistant) << "the school has no assistant teacher";
    const std::string teacherId = assistant->GetAssistants().front();
    CTeacherInfo* teacher = task->GetTeacher(teacherId);
    ASSERT_TRUE(teacher);
    std::vector<CCourseInfo*> taught;
    for (CCourseInfo* plan : ObjectsInOrder<CCourseInfo>(task->GetCourseInfoList()))
        if (CTaskHelper(task.get()).IsTeacherOfCourse(plan, teacherId))
            taught.push_back(plan);
    host.setGeometry(0, 0, 800, 130);
    host.SetCourses(task.get(), taught, TABLE_TEACHER, &teacher->GetTable(true), teacherId);
    const auto& cards = host.GetView()->GetCards();
    ASSERT_EQ(cards.size(), taught.size());
    bool seenAssistant = false;
    for (const auto& card : cards) {
        EXPECT_EQ(card->assistant, card->plan->GetTeacherId() != teacherId);
        EXPECT_EQ(card->line2.rfind(task->GetClassNameA(card->plan->GetClassId()), 0), 0u);
        seenAssistant = seenAssistant || card->assistant;
    }
    EXPECT_TRUE(seenAssistant);
    SaveScreenshot(&host, "course-cards-teacher");
}

TEST_F(CourseCardsTest, ClicksSelectAndReportThePlan)
{
    ShowPlans(FirstPlans(4), 800, 100);
    CCourseListView& view = *host.GetView();
    const auto& cards = view.GetCards();
    ClickView(cards[1]->rect.CenterPoint());
    EXPECT_EQ(cards[1]->mark, CCourseCard::kSelected);
    EXPECT_EQ(view.GetSelectedId(), cards[1]->plan->GetId());
    // The selected card again: the selection goes, the plan is still reported.
    ClickView(cards[1]->rect.CenterPoint());
    EXPECT_EQ(cards[1]->mark, CCourseCard::kNone);
    EXPECT_EQ(view.GetSelectedId(), "");
    // A marked card keeps its mark and says so.
    view.SelectById({cards[2]->plan->GetId()});
    ClickView(cards[2]->rect.CenterPoint());
    EXPECT_EQ(cards[2]->mark, CCourseCard::kMarked);
    // Between cards: every mark goes, no plan.
    ClickView({cards[0]->rect.right + 3, cards[0]->rect.top + 10});
    for (const auto& card : cards)
        EXPECT_EQ(card->mark, CCourseCard::kNone);
    ASSERT_EQ(owner.clicks.size(), 4u);
    EXPECT_EQ(owner.clicks[0].plan, cards[1]->plan);
    EXPECT_EQ(owner.clicks[0].wasMarked, 0u);
    EXPECT_EQ(owner.clicks[1].plan, cards[1]->plan);
    EXPECT_EQ(owner.clicks[1].wasMarked, 0u);
    EXPECT_EQ(owner.clicks[2].wasMarked, 1u);
    EXPECT_EQ(owner.clicks[3].plan, nullptr);
}

TEST_F(CourseCardsTest, PeriodBlocksFollowThePlacedLessonsAndNoneForAPlanOfNoLessons)
{
    ShowPlans(FirstPlans(2), 800, 100);
    CCourseInfo* plan = plans.front();
    const CWeekCount kept = plan->GetWeekCount();
    auto greenInStrip = [&] {
        const QImage image = Snapshot(host.GetView());
        const zem::Rect r = host.GetView()->GetCards().front()->rect;
        int green = 0;
        // The strip under the status line.
        for (int y = r.bottom - 7; y < r.bottom - 2; ++y)
            for (int x = r.left + 2; x < r.right - 2; ++x)
                green += PixelOf(image, x, y) == zem::RGB(0, 255, 0) || PixelOf(image, x, y) == zem::RGB(255, 0, 0);
        return green;
    };
    ASSERT_FALSE(host.GetView()->GetCards().front()->placed.IsEmpty());
    EXPECT_GT(greenInStrip(), 0);
    // A plan of no lessons a week divides nothing by zero and draws no blocks.
    plan->GetWeekCount() = CWeekCount(0, false);
    ShowPlans({plan}, 800, 100);
    EXPECT_EQ(host.GetView()->GetCards().front()->statusLine.rfind("已超出", 0), 0u);
    EXPECT_EQ(greenInStrip(), 0);
    plan->GetWeekCount() = kept;
}

TEST_F(CourseCardsTest, SelectAndScrollBringsTheFirstCardIntoView)
{
    ShowPlans(plans, 2 * 132, 60);
    ASSERT_GT(host.GetScrollBar()->maximum(), 0);
    const auto& last = host.GetView()->GetCards().back();
    host.SelectAndScroll({last->plan->GetId()});
    EXPECT_EQ(last->mark, CCourseCard::kMarked);
    EXPECT_LE(last->rect.right - host.GetPosition(), host.width());
    EXPECT_GE(last->rect.left - host.GetPosition(), 0);
    const auto& first = host.GetView()->GetCards().front();
    host.SelectAndScroll({first->plan->GetId()});
    EXPECT_GE(first->rect.left - host.GetPosition(), 0);
    EXPECT_LE(host.GetPosition(), 5);
    host.ScrollTo(100000);
    EXPECT_EQ(host.GetPosition(), host.GetView()->GetViewWidth() - host.width());
}

}  // namespace
