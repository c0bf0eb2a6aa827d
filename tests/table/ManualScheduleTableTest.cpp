#include "support/TableTestSupport.h"
#include "platform/gui/Desktop.h"
#include "table/CellStatic.h"
#include "table/ManualScheduleTable.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

using zem::Point;
using zem::Rect;

namespace {

const tagTABLE_NODE kMath{0, 0, 0};
const tagTABLE_NODE kFree{1, 0, 0};     // the host lets lessons go here
const tagTABLE_NODE kBusy{2, 0, 0};     // the host explains why not
const tagTABLE_NODE kEnglish{3, 1, 1};

class PickAndPlace : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousSound = zem::gui::SetSoundHook([this](const std::string& path) { sounds.push_back(path); });
        grid = new CManualScheduleTable;
        grid->Init(&host);
        grid->setGeometry(0, 0, 600, 380);
        grid->SetWeekDays(5);
        grid->SetAnimateMoves(false);
        grid->SetCellInfo(kMath, OneEntry("1", "数学", "李"));
        grid->SetCellInfo(kBusy, OneEntry("1", "语文", "王"));
        grid->SetCellInfo(kEnglish, OneEntry("1", "英语", "张"));
        grid->SetCellTag(kMath, CELL_TAG_LOCKED);
        // The host marks where a picked lesson may go, as the program does.
        host.onMessage = [this](const Notification& n) {
            if (n.message == WM_TABLE_CELL_PICKED) {
                grid->SetCellFriend(kFree);
                grid->SetCellFriend(kEnglish);
                grid->SetCellTipInfo(kBusy, "王老师该节有课");
            }
        };
        host.show();
    }
    void TearDown() override
    {
        delete grid.data();
        zem::gui::SetSoundHook(m_previousSound);
    }

    void Click(const tagTABLE_NODE& node) { Press(grid, CellCentre(*grid, node)); }
    std::string Text(const tagTABLE_NODE& node)
    {
        std::string text;
        grid->GetCellInfo(node, &text);
        return text;
    }

    RecordingHost host;
    QPointer<CManualScheduleTable> grid;
    std::vector<std::string> sounds;

private:
    zem::gui::SoundHook m_previousSound;
};

TEST_F(PickAndPlace, PickRefuseAskMoveAndClearNotifyTheHost)
{
    Click(kMath);
    ASSERT_EQ(host.Messages(), std::vector<unsigned>{WM_TABLE_CELL_PICKED});
    EXPECT_TRUE(host.received[0].node == kMath);
    tagTABLE_NODE picked;
    ASSERT_EQ(grid->GetSelectedCell(&picked), 0);
    EXPECT_TRUE(picked == kMath);

    // Not a friend: the host gets the cell's tip text and the pick stays.
    Click(kBusy);
    ASSERT_EQ(host.received.size(), 2u);
    EXPECT_EQ(host.received[1].message, WM_TABLE_MOVE_REFUSED);
    EXPECT_EQ(host.received[1].text, "王老师该节有课");
    EXPECT_TRUE(grid->IsCellSelected());

    // The host refuses the move: only the low 16 bits of its answer count.
    for (int answer : {0, 0x10000}) {
        host.canMoveAnswer = answer;
        Click(kFree);
        ASSERT_EQ(host.received.back().message, WM_TABLE_CAN_MOVE);
        EXPECT_TRUE(host.received.back().move.target == kFree);
        EXPECT_TRUE(host.received.back().move.picked == kMath);
        EXPECT_TRUE(grid->IsCellSelected());
        EXPECT_EQ(grid->GetCell(kFree)->GetState(), CCell::STATE_FRIEND);
    }
    EXPECT_TRUE(sounds.empty());

    // It agrees: sound, move report, pick cleared. Without animation the cells keep their contents.
    host.received.clear();
    host.canMoveAnswer = 1;
    Click(kFree);
    EXPECT_EQ(host.Messages(),
              (std::vector<unsigned>{WM_TABLE_CAN_MOVE, WM_TABLE_CELL_MOVED, WM_TABLE_PICK_CLEARED}));
    EXPECT_TRUE(host.received[1].move.target == kFree);
    EXPECT_TRUE(host.received[1].move.picked == kMath);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0], zem::gui::ProgramFolder() + "sound/Notification.wav");
    EXPECT_FALSE(grid->IsCellSelected());
    EXPECT_EQ(Text(kMath), OneEntry("1", "数学", "李"));
    EXPECT_EQ(grid->GetCell(kFree)->GetState(), CCell::STATE_NORMAL);
    EXPECT_EQ(grid->GetCell(kBusy)->GetTip(), "");

    // Clicking the picked cell again ends the pick.
    host.received.clear();
    Click(kMath);
    Click(kMath);
    EXPECT_EQ(host.Messages(), (std::vector<unsigned>{WM_TABLE_CELL_PICKED, WM_TABLE_PICK_CLEARED}));
    EXPECT_FALSE(grid->IsCellSelected());

    // Clicks outside the cells do nothing.
    Press(grid, {3, 3});
    EXPECT_EQ(host.received.size(), 2u);
}

TEST_F(PickAndPlace, HostMayStopAPickOnAFriendCell)
{
    grid->SetCellFriend(kFree);
    host.stopOnFriend = true;
    Click(kFree);
    ASSERT_EQ(host.Messages(), std::vector<unsigned>{WM_TABLE_FRIEND_CLICKED});
    EXPECT_TRUE(host.received[0].node == kFree);
    EXPECT_FALSE(grid->IsCellSelected());

    host.stopOnFriend = false;
    Click(kFree);
    EXPECT_EQ(host.Messages(),
              (std::vector<unsigned>{WM_TABLE_FRIEND_CLICKED, WM_TABLE_FRIEND_CLICKED, WM_TABLE_CELL_PICKED}));
    EXPECT_TRUE(grid->IsCellSelected());
}

TEST_F(PickAndPlace, RightClickHighlightsTheCellAndEndsThePick)
{
    Click(kMath);
    const Rect r = CellRect(*grid, kEnglish);
    Press(grid, {r.right - 2, r.top + 2}, Qt::RightButton);
    ASSERT_EQ(host.received.back().message, WM_TABLE_CELL_RCLICK);
    EXPECT_TRUE(host.received.back().node == kEnglish);
    EXPECT_EQ(host.received.back().lParam, 2);
    EXPECT_FALSE(grid->IsCellSelected());
    EXPECT_EQ(grid->GetCell(kEnglish)->GetState(), CCell::STATE_PICKED);
    EXPECT_EQ(grid->GetCell(kMath)->GetState(), CCell::STATE_NORMAL);
}

TEST_F(PickAndPlace, AnimatedMoveSlidesBothPicturesThenTradesTheCells)
{
    grid->SetAnimateMoves(true);
    TestAnimationClock clock(10);
    int slidingPictures = -1;
    bool movingDuringSlide = false;
    std::int64_t canMoveAt = 0, movedAt = 0;
    host.onMessage = [&, base = host.onMessage](const Notification& n) {
        base(n);
        if (n.message == WM_TABLE_CAN_MOVE) {
            canMoveAt = clock.Now();
            clock.At(canMoveAt + 200, [&] {
                slidingPictures = 0;
                for (CCellStatic* s : grid->findChildren<CCellStatic*>())
                    slidingPictures += s->isVisible() && !s->WaitForMoveComplete();
                movingDuringSlide = grid->IsMoving();
                Click(kMath);  // ignored while the move runs
            });
        }
        if (n.message == WM_TABLE_CELL_MOVED)
            movedAt = clock.Now();
    };
    grid->SimulateToSwapCell(kMath, kEnglish);
    EXPECT_EQ(host.Messages(), (std::vector<unsigned>{WM_TABLE_CELL_PICKED, WM_TABLE_CAN_MOVE, WM_TABLE_CELL_MOVED,
                                                      WM_TABLE_PICK_CLEARED}));
    EXPECT_EQ(slidingPictures, 2);
    EXPECT_TRUE(movingDuringSlide);
    EXPECT_GE(movedAt - canMoveAt, CCellStatic::kSlideMs);
    EXPECT_FALSE(grid->IsMoving());
    EXPECT_TRUE(grid->findChildren<CCellStatic*>().isEmpty());

    EXPECT_EQ(Text(kMath), OneEntry("1", "英语", "张"));
    EXPECT_EQ(Text(kEnglish), OneEntry("1", "数学", "李"));
    EXPECT_EQ(grid->GetCell(kMath)->GetTag(), CELL_TAG_LOCKED);  // tags stay where they are
    EXPECT_EQ(grid->GetCell(kEnglish)->GetTag(), CELL_TAG_NONE);
    EXPECT_EQ(sounds.size(), 1u);
}

TEST_F(PickAndPlace, GridDestroyedDuringTheSlideEndsTheMoveQuietly)
{
    grid->SetAnimateMoves(true);
    TestAnimationClock clock(10);
    std::int64_t canMoveAt = 0;
    host.onMessage = [&, base = host.onMessage](const Notification& n) {
        base(n);
        if (n.message == WM_TABLE_CAN_MOVE) {
            canMoveAt = clock.Now();
            clock.At(canMoveAt + 100, [&] { delete grid.data(); });
        }
    };
    grid->SimulateToSwapCell(kMath, kFree);
    EXPECT_TRUE(grid.isNull());
    EXPECT_LT(clock.Now() - canMoveAt, CCellStatic::kSlideMs);  // the wait ended with the grid
    EXPECT_EQ(host.Messages(), (std::vector<unsigned>{WM_TABLE_CELL_PICKED, WM_TABLE_CAN_MOVE}));
}

TEST_F(PickAndPlace, SlideCoversAnyDistanceIn600Milliseconds)
{
    TestAnimationClock clock(0);
    for (int distance : {3, 300}) {
        const Rect from(0, 0, 40, 30), to(distance, 0, distance + 40, 30);
        auto* slide = new CCellStatic(grid);
        clock.Set(0);
        slide->Move(from, to);
        // The first frame shows the picture where it was; then it moves at constant speed.
        struct Frame {
            std::int64_t t;
            int x;  // -1: the slide has ended
        };
        const Frame frames[] = {{0, 0}, {300, distance / 2}, {599, distance * 599 / 600}, {600, -1}};
        for (const Frame& f : frames) {
            clock.Set(f.t);
            slide->Step();
            if (f.x < 0) {
                EXPECT_TRUE(slide->WaitForMoveComplete()) << distance;
                EXPECT_FALSE(slide->isVisible()) << distance;
            } else {
                EXPECT_FALSE(slide->WaitForMoveComplete()) << distance << " at " << f.t;
                EXPECT_TRUE(slide->isVisible()) << distance << " at " << f.t;
                EXPECT_EQ(slide->geometry(), QRect(f.x, 0, 40, 30)) << distance << " at " << f.t;
            }
        }
        slide->Close();
    }

    // A clock that jumps far ahead ends the slide at once; the pair runs the flag while it slides.
    bool running = false, runningDuringSlide = false;
    clock.Set(0);
    QTimer::singleShot(0, [&] {
        runningDuringSlide = running;
        clock.Set(CCellStatic::kMaxSlideMs + 1);
    });
    CCellStatic::MoveCell(Rect(0, 0, 40, 30), Rect(300, 0, 340, 30), grid, &running);
    EXPECT_TRUE(runningDuringSlide);
    EXPECT_FALSE(running);
    EXPECT_TRUE(grid->findChildren<CCellStatic*>().isEmpty());
}

TEST_F(PickAndPlace, SimulatedSwapNeedsBothCells)
{
    grid->SimulateToSwapCell(kMath, {0, 0, 5});  // forenoon has 4 periods
    grid->SimulateToSwapCell({7, 0, 0}, kMath);  // only 5 days
    EXPECT_TRUE(host.received.empty());
}

TEST(TipWindow, OpensBelowRightOfTheCursorAndFlipsAtTheWorkAreaEdges)
{
    const Rect work(0, 0, 800, 600);
    const zem::Size size{100, 40};
    struct Case {
        Point cursor;
        Point expected;
    };
    const Case cases[] = {
        {{100, 100}, {80, 120}},
        {{100, 590}, {80, 545}},   // above
        {{790, 100}, {710, 120}},  // left
        {{790, 590}, {710, 545}},  // above and to the left
        {{100, 540}, {80, 560}},   // just fits
    };
    for (const Case& c : cases) {
        const Point at = CTableTipWnd::Place(c.cursor, size, work);
        EXPECT_EQ(at, c.expected) << c.cursor.x << "," << c.cursor.y;
    }
}

TEST_F(PickAndPlace, TipFollowsTheMouseOverCellsWithTipText)
{
    Point cursor{790, 590};
    auto previousWork = zem::gui::SetWorkAreaHook([] { return Rect(0, 0, 800, 600); });
    auto previousCursor = zem::gui::SetCursorPosHook([&] { return cursor; });
    grid->SetCellTipInfo(kBusy, "王老师\n该节有课");
    const CTableTipWnd& tip = grid->GetTipWnd();

    MoveMouse(grid, CellCentre(*grid, kBusy));
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.GetText(), "王老师\n该节有课");
    const QSize size = tip.size();
    EXPECT_GT(size.height(), 2 * 12);  // two lines
    EXPECT_EQ(tip.pos(), QPoint(790 - size.width() + 20, 590 - size.height() - 5));

    cursor = {100, 100};
    MoveMouse(grid, CellCentre(*grid, kBusy));
    EXPECT_EQ(tip.pos(), QPoint(80, 120));
    EXPECT_EQ(tip.size(), size);

    MoveMouse(grid, CellCentre(*grid, kMath));  // no tip text there
    EXPECT_FALSE(tip.isVisible());
    MoveMouse(grid, CellCentre(*grid, kBusy));
    EXPECT_TRUE(tip.isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(grid, &leave);
    EXPECT_FALSE(tip.isVisible());

    zem::gui::SetWorkAreaHook(previousWork);
    zem::gui::SetCursorPosHook(previousCursor);
}

}  // namespace
