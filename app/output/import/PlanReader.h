#pragma once
// Reads teaching plans (or morning-reading and evening self-study plans) from a workbook's sheet in
// one of its two shapes: the cross table (classes down, "课程#类型#周课时#连课#次数#指定教室" across,
// teachers where they cross) or the flat list (one plan per row). Each plan goes to the page as a
// row of 8 cells; the cross table's "班主任" column becomes one map of head teachers at the end.
// Runs on the import worker; what it sends and asks goes through the job's functions, which the
// caller carries to the GUI thread.
#include "app/output/import/RowReader.h"
#include "platform/WindowMessages.h"

#include <map>
#include <string>
#include <vector>

namespace zem::import {

constexpr int kCrossTableFormat = 0;
constexpr int kFlatListFormat = 1;
constexpr int kPlanRowCells = 8;

// "交叉表格" or "平铺列表".
const char* PlanFormatName(int format);

struct PlanReadJob : RowReadJob {
    bool selfStudy = false;
    int format = kFlatListFormat;  // what the user chose
    // Asked when the sheet looks like the other shape: the format to read it as.
    std::function<int(int current, int guess)> askFormat;
    // Class name -> teacher, sent once after the rows when not empty.
    std::function<void(const std::map<std::string, std::string>& headTeachers)> sendHeadTeachers;
};

// The shape the first two rows suggest, asked about through `ask` when it differs from `current`.
int GuessPlanFormat(const std::vector<std::string>& headerRow, const std::vector<std::string>& secondRow,
                    int current, const std::function<int(int current, int guess)>& ask);

// The question asked then.
std::string PlanFormatQuestion(int current, int guess);

RowReadResult ReadPlanSheet(const zem::workbook::SheetData& sheet, const PlanReadJob& job);
RowReadResult ReadPlanWorkbook(const std::string& path, const PlanReadJob& job);

}  // namespace zem::import
