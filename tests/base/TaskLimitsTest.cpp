// The limits every adding path checks are the reader's: a task at a limit passes, one more is
// refused with the limit named.
#include "base/TaskLimits.h"

#include "support/SchoolBuilder.h"

#include <gtest/gtest.h>

TEST(TaskLimits, ATaskTakesObjectsUpToTheLimitAndRefusesOneMoreNamingIt)
{
    SchoolBuilder school;
    for (int i = 0; i < 2999; ++i)
        school.Teacher("t" + std::to_string(i), "教师" + std::to_string(i));
    const CScheduleTask& task = school.Task();

    EXPECT_EQ(CountTaskObjects(task, TaskObjectKind::Teacher), 2999u);
    EXPECT_EQ(CheckTaskLimit(task, TaskObjectKind::Teacher, 1), "");
    EXPECT_EQ(CheckTaskLimit(task, TaskObjectKind::Teacher, 2),
              "一个排课任务中的教师不能多于 3000 个（这样会有 3001 个），排课任务将无法再打开。");
    EXPECT_EQ(CheckTaskLimit(task, TaskObjectKind::Class, 1000), "");
    EXPECT_NE(CheckTaskLimit(task, TaskObjectKind::Class, 1001), "");
}

TEST(TaskLimits, RoomPlacesCountTheRoomsCapacities)
{
    SchoolBuilder school;
    for (int i = 0; i < 5; ++i)
        school.Room("r" + std::to_string(i), "礼堂" + std::to_string(i), 999);
    school.Room("r5", "操场", 6);
    EXPECT_EQ(CountTaskObjects(school.Task(), TaskObjectKind::RoomPlace), 5001u);
    EXPECT_NE(CheckTaskLimit(school.Task(), TaskObjectKind::RoomPlace, 0), "");
}
