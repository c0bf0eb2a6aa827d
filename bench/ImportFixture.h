#pragma once
// The plan import's fixture: the large school's 120 classes with 21 plans each (2,520 rows) as a
// flat list, and an empty task of the same teaching time for it to go into.
#include "app/output/workbook/Workbook.h"
#include "app/output/workbook/XlsxWriter.h"
#include "base/ScheduleTask.h"
#include "testing/generator/SchoolGenerator.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

constexpr int kImportPlansPerClass = 21;

// The flat list of the school's classes, each with 21 plans of its subjects and teachers.
inline void WriteFlatPlanList(const CScheduleTask& school, const std::string& path)
{
    std::vector<std::string> subjects, teachers;
    for (CZemObject* subject : ObjectsInOrder(school.GetSubjectInfoList()))
        subjects.push_back(subject->GetName());
    for (CZemObject* teacher : ObjectsInOrder(school.GetTeacherInfoList()))
        teachers.push_back(teacher->GetName());
    while (subjects.size() < kImportPlansPerClass)
        subjects.push_back("选修" + std::to_string(subjects.size()));
    zem::workbook::Workbook book;
    auto& sheet = book.GetSheet(1);
    const char* headings[] = {"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"};
    for (int c = 0; c < 8; ++c)
        sheet.GetRange(zem::workbook::CellName(1, c + 1)).SetValue(headings[c]);
    int row = 2;
    std::size_t teacher = 0;
    for (CZemObject* cls : ObjectsInOrder(school.GetClassInfoList())) {
        for (int p = 0; p < kImportPlansPerClass; ++p, ++row) {
            const std::string cells[] = {cls->GetName(), subjects[static_cast<std::size_t>(p)],
                                         teachers[teacher++ % teachers.size()], p < 6 ? "主课" : "副课",
                                         p == 20 ? "2.5" : "2", p < 3 ? "2" : "1", p < 3 ? "1" : "0", ""};
            for (int c = 0; c < 8; ++c)
                if (!cells[c].empty())
                    sheet.GetRange(zem::workbook::CellName(row, c + 1)).SetValue(cells[c]);
        }
    }
    zem::workbook::SaveXlsx(book, path);
}

struct ImportFixture {
    std::string task;      // empty when it could not be written
    std::string workbook;
};

// The empty task in DIR/empty/ and the list as DIR/plans.xlsx.
inline ImportFixture WriteImportFixture(const std::string& folder)
{
    std::unique_ptr<CScheduleTask> school = zemgen::GenerateSchool({"L120", "normal", 1});
    std::filesystem::create_directories(folder);
    ImportFixture made;
    made.workbook = folder + "/plans.xlsx";
    WriteFlatPlanList(*school, made.workbook);
    CScheduleTask empty;
    empty.GetSchoolStructure() = school->GetSchoolStructure();
    std::string error;
    if (!zemgen::WriteTaskFolder(empty, folder + "/empty", "empty", "benchmark", &error)) {
        std::fprintf(stderr, "cannot write the fixture into %s: %s\n", folder.c_str(), error.c_str());
        return {};
    }
    made.task = empty.GetTaskInfo().GetTaskFile();
    return made;
}
