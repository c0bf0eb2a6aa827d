// zem-generate: writes a generated school as a task folder.
//   zem-generate --size S36 --variant tight --seed 1 --out DIR [--name NAME] [--description TEXT]
#include "testing/generator/SchoolGenerator.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage()
{
    std::string sizes;
    for (const std::string& size : zemgen::SchoolSizes())
        sizes += (sizes.empty() ? "" : "|") + size;
    std::fprintf(stderr,
                 "usage: zem-generate --size %s --variant normal|tight --seed N --out DIR\n"
                 "                    [--name TASK_NAME] [--description TEXT]\n",
                 sizes.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    zemgen::SchoolOptions options;
    std::string out;
    std::string name;
    std::string description;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const std::string value = argv[++i];
        if (arg == "--size")
            options.size = value;
        else if (arg == "--variant")
            options.variant = value;
        else if (arg == "--seed")
            options.seed = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
        else if (arg == "--out")
            out = value;
        else if (arg == "--name")
            name = value;
        else if (arg == "--description")
            description = value;
        else
            return Usage();
    }
    if (out.empty())
        return Usage();

    std::string error;
    std::unique_ptr<CScheduleTask> task = zemgen::GenerateSchool(options, &error);
    if (!task) {
        std::fprintf(stderr, "zem-generate: %s\n", error.c_str());
        return Usage();
    }
    if (name.empty())
        name = zem::Format("%s_%s_%u", options.size.c_str(), options.variant.c_str(), options.seed);
    if (description.empty())
        description = zem::Format("生成的学校：%s，%s，种子 %u", options.size.c_str(),
                                  options.variant == "tight" ? "课时紧" : "课时适中", options.seed);
    for (const std::string& fault : zemgen::CheckSchool(*task))
        std::fprintf(stderr, "zem-generate: warning: %s\n", fault.c_str());
    if (!zemgen::WriteTaskFolder(*task, out, name, description, &error)) {
        std::fprintf(stderr, "zem-generate: %s\n", error.c_str());
        return 1;
    }
    std::vector<CCourseInfo*> all;
    task->GetFullCourseList(all);
    std::printf("%s: %d classes, %d teachers, %d subjects, %d rooms, %d plans, %d self-study plans\n",
                task->GetTaskInfo().GetTaskFile().c_str(), task->GetClassInfoList().GetCount(),
                task->GetTeacherInfoList().GetCount(), task->GetSubjectInfoList().GetCount(),
                task->GetRoomInfoList().GetCount(), task->GetCourseInfoList().GetCount(),
                task->GetSelfStudyInfoList().GetCount());
    return 0;
}
