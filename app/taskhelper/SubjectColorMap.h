#pragma once
// The background colour of each subject's lessons when timetables are shown in colour: the subjects
// with the most weekly lessons take the first colours of a fixed palette. A subject name keeps its
// colour for the life of the process, also in other tasks.
#include "platform/Gdi.h"

#include <map>
#include <string>
#include <vector>

class CCourseInfo;
class CScheduleTask;
class CSubjectInfo;

class CSubjectColorMap {
public:
    static constexpr int kPaletteSize = 38;
    static const zem::COLORREF kPalette[kPaletteSize];

    CSubjectColorMap() = default;
    virtual ~CSubjectColorMap() = default;

    // Colours the task's subjects afresh (names coloured before keep their colour); nothing for null.
    void Build(CScheduleTask* task);
    // The colour of a plan of the task: 0 for null, or for a subject without lessons. A map empty
    // or built for another task is built from this one first.
    zem::COLORREF GetColor(const CCourseInfo* plan, CScheduleTask* task);
    // The task's subjects by descending weekly lessons; subjects without lessons are left out.
    static void BuildSubjectOrder(CScheduleTask* task, std::vector<CSubjectInfo*>* out);

    // The palette position the next new name gets; shared by every map of the process.
    static int NextColorIndex();

private:
    CScheduleTask* m_task = nullptr;
    std::map<std::string, zem::COLORREF> m_byId;
    std::map<std::string, zem::COLORREF> m_byName;
};
