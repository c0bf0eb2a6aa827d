#pragma once
// What an export of timetables into workbooks takes of the print side: a week-timetable layout as
// the timetable workbook reads it, the name of a group's workbook, and the master timetable
// exported as the whole-school layout arranges it.
#include "platform/Hooks.h"

#include <memory>
#include <string>

class CSchoolStructure;
class CScheduleTask;
class CSpreadsheetExporter;
class CTablePageLayout;
class CWeekTablePageLayout;
struct CTimetableSheetLayout;

// What the timetable workbook takes of a week-timetable layout, its geometry computed for the screen.
std::shared_ptr<const CTimetableSheetLayout> TimetableSheetLayoutOf(const CWeekTablePageLayout& layout,
                                                                    const CSchoolStructure& structure,
                                                                    bool temporary);
// "<folder><name>(YYYYMMDD).xlsx" with the name made fit for a file name.
std::string TimetableWorkbookName(const std::string& folder, const std::string& groupName, const zem::LocalTime& day);

// The master timetable of one table kind (0 classes, 1 teachers, 2 rooms) of the task (null: the
// open task) into a workbook, arranged as the whole-school layout says, under the progress window.
// The exporter shows its own failures; true when the workbook was written.
bool ExportMasterTimetable(CScheduleTask* task, const CTablePageLayout& layout, int tableKind,
                           const std::string& fileName);
// The same through an exporter the caller has set up (its task, engines, how failures are shown).
bool ExportMasterTimetable(CSpreadsheetExporter& exporter, const CTablePageLayout& layout, int tableKind,
                           const std::string& fileName);
