// zem-proctor: the automatic assignment of invigilators, without its pauses, over a proctoring of a
// task, as the proctoring page runs it: the teachers' subjects and classes from the task's plans,
// the old arrangement replaced, the result saved (in.xml and out.xml); a run that assigns nothing
// saves nothing. Prints one JSON object: the counts, the assignment's time, and the time the
// program's pauses would add.
//
//   zem-proctor TASKFILE PROCTORING [--seed N]
//   zem-proctor --make-fixture DIR   a school of 216 teachers (S72) with the proctoring "基准监考":
//                                    40 exams of 30 rooms, 2 invigilators per room, 200 teachers
#include "app/proctor/ProctorAssignment.h"
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "testing/generator/SchoolGenerator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kFixtureProctoring = "基准监考";

int Usage()
{
    std::fprintf(stderr, "usage: zem-proctor TASKFILE PROCTORING [--seed N]\n"
                         "       zem-proctor --make-fixture DIR\n");
    return 2;
}

// Two grades sit their exams at the same time in rooms of their own: 10 days of two slots that
// touch (08:00-10:00, 10:00-12:00), each with two exams of 30 classes.
int MakeFixture(const std::string& folder)
{
    zemgen::SchoolOptions options;
    options.size = "S72";
    std::string error;
    std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool(options, &error);
    if (!task || !zemgen::WriteTaskFolder(*task, folder, "基准", "监考基准", &error)) {
        std::fprintf(stderr, "zem-proctor: %s\n", error.c_str());
        return 1;
    }
    const std::vector<CZemObject*> teachers = ObjectsInOrder(task->GetTeacherInfoList());
    const std::vector<CZemObject*> classes = ObjectsInOrder(task->GetClassInfoList());
    const std::vector<CZemObject*> subjects = ObjectsInOrder(task->GetSubjectInfoList());
    CScheduleProctor proctor;
    if (!proctor.Open(task.get(), kFixtureProctoring))
        return 1;
    CProctorData& data = proctor.data();
    for (std::size_t i = 0; i < teachers.size() && i < 200; ++i)
        data.GetTeacherArray().push_back(teachers[i]->GetId());
    for (int exam = 0; exam < 40; ++exam) {
        auto plan = std::make_unique<CProctorData::Plan>();
        plan->id = zem::Format("exam%02d", exam);
        plan->date = {2024, 6, 3 + exam / 4};
        const bool morning = exam % 4 < 2;
        plan->startTime.Parse(morning ? "08:00" : "10:00");
        plan->endTime.Parse(morning ? "10:00" : "12:00");
        plan->subject = subjects[static_cast<std::size_t>(exam) % subjects.size()]->GetId();
        const std::size_t first = exam % 2 == 0 ? 0 : 30;
        for (std::size_t c = first; c < first + 30; ++c)
            plan->rooms.push_back(classes[c]->GetId());
        plan->teacherCount = 2;
        data.GetPlanList().push_back(std::move(plan));
    }
    if (!proctor.Save())
        return 1;
    std::printf("%s\n", task->GetTaskInfo().GetTaskFile().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--make-fixture")
        return MakeFixture(argv[2]);
    if (argc != 3 && argc != 5)
        return Usage();
    const std::string taskFile = argv[1];
    const std::string name = argv[2];
    CProctorRunOptions options;
    options.pacing = false;
    options.seed = 1;
    if (argc == 5) {
        if (std::string(argv[3]) != "--seed")
            return Usage();
        options.seed = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
    }

    CScheduleTask task;
    if (!task.Open(taskFile, TaskAccess::ReadOnly)) {
        std::fprintf(stderr, "zem-proctor: cannot open %s\n", taskFile.c_str());
        return 1;
    }
    CScheduleProctor proctor;
    if (!proctor.Open(&task, name)) {
        std::fprintf(stderr, "zem-proctor: cannot open the proctoring %s\n", name.c_str());
        return 1;
    }
    CProctorData& data = proctor.data();
    BuildTeacherInfoMap(task, data);
    CArrangementAside old(data);
    int rooms = 0;
    for (const auto& plan : data.GetPlanList())
        rooms += static_cast<int>(plan->rooms.size());

    CProctorAssignment run(task, data, options);
    run.onMessage = [](const zem::MessageRequest& request) { std::fprintf(stderr, "%s\n", request.text.c_str()); };
    const auto start = std::chrono::steady_clock::now();
    const bool assigned = run.Run();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const std::size_t items = data.GetProctorList().size();
    std::size_t seats = 0;
    for (const auto& item : data.GetProctorList())
        seats += item->teachers.size();
    // A run that made nothing (two exams at one time in one room) saves nothing: the old
    // arrangement stays on disk as it was.
    if (!old.ReplacedByRun(assigned))
        std::fprintf(stderr, "zem-proctor: no invigilators assigned; the proctoring is left as it was\n");
    else if (!proctor.Save())
        return 1;
    std::printf("{\"seed\": %u, \"plans\": %zu, \"rooms\": %d, \"teachers\": %zu, \"items\": %zu, \"seats\": %zu, "
                "\"shortages\": %zu, \"assigned\": %s, \"ms\": %.3f, \"pacing_ms\": %d}\n",
                *options.seed, data.GetPlanList().size(), rooms, data.GetTeacherArray().size(),
                items, seats, run.GetShortages().size(), assigned ? "true" : "false", ms,
                CProctorAssignment::kStartPauseMs + CProctorAssignment::kRoomPauseMs * rooms);
    return assigned ? 0 : 3;
}
