#pragma once
// Exam invigilation data sets of a task. Each set lives in a folder of its own under the task's
// proctor folder, named after the set, as in.xml (the exams, the teachers and the policies) and
// out.xml (who watches which room for which exam). The invigilation screens read and fill the
// lists directly.
#include "base/ConfigHost.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CScheduleTask;
namespace pugi {
class xml_document;
}

class CProctorData {
public:
    // A date, a time of day, or both. A part never given is all zero.
    struct DateTime {
        int year = 0;
        int month = 0;   // 1..12
        int day = 0;     // 1..31
        int hour = 0;    // 0..23
        int minute = 0;
        int second = 0;

        bool HasDate() const { return year != 0; }
        bool operator==(const DateTime&) const = default;

        // Reads a date, a time of day, or a date followed by a time. Dates may name the month in
        // English (full or short, any case) or in Chinese ("六月", "6月"), or be all numbers
        // ("2024-06-05", "2024年6月5日", "6/5/2024"); times are "8:30", "08:30:00", with or
        // without "AM"/"PM" or "上午"/"下午". False, with the value untouched, for anything else
        // or for a day or time that does not exist.
        bool Parse(std::string_view text);
        // "05 June 2024"; empty text for a value without a date or with one that does not exist.
        std::string FormatDate() const;
        // "08:30:00"; empty text for a time of day that does not exist.
        std::string FormatTime() const;
    };

    struct Plan {
        std::string id;
        DateTime date;
        DateTime startTime;
        DateTime endTime;
        std::string subject;
        std::vector<std::string> rooms;
        int teacherCount = 0;  // invigilators per room
    };

    // What the automatic assignment makes of a teacher of the room's class, or of the exam's
    // subject. Stored as its number; a number a file holds outside these is kept as read.
    enum class Policy : int {
        Indifferent = 0,  // "无所谓": as Avoid for the class, as PreferOne for the subject
        Avoid = 1,        // "尽量避免"
        PreferOne = 2,    // "优先安排一位"
    };

    // Chosen and read by the invigilation screens.
    struct Rule {
        Policy classPolicy = Policy::Avoid;
        Policy subjectPolicy = Policy::PreferOne;
    };

    // One room of one exam and the teachers who watch it.
    struct ProctorItem {
        std::string id;
        std::string plan;  // the plan's id
        std::string room;
        std::vector<std::string> teachers;
    };

    // What a teacher teaches by the task's plans, as ids, kept while the invigilation screens work;
    // never stored.
    struct TeacherInfo {
        std::vector<std::string> subjects;
        std::vector<std::string> classes;
    };

    using PlanList = std::vector<std::unique_ptr<Plan>>;
    using ProctorList = std::vector<std::unique_ptr<ProctorItem>>;
    using TeacherInfoMap = std::map<std::string, TeacherInfo>;

    PlanList& GetPlanList() { return m_plans; }
    const PlanList& GetPlanList() const { return m_plans; }
    std::vector<std::string>& GetTeacherArray() { return m_teachers; }
    const std::vector<std::string>& GetTeacherArray() const { return m_teachers; }
    Rule& GetRule() { return m_rule; }
    const Rule& GetRule() const { return m_rule; }
    ProctorList& GetProctorList() { return m_items; }
    const ProctorList& GetProctorList() const { return m_items; }
    TeacherInfoMap& GetTeacherInfoMap() { return m_teacherInfo; }
    const TeacherInfoMap& GetTeacherInfoMap() const { return m_teacherInfo; }

    // The first plan with exactly that id, or null.
    Plan* GetPlan(std::string_view id) const;

    void FreePlanList() { m_plans.clear(); }
    void FreeProctorList() { m_items.clear(); }
    void FreeTeacherInfoList() { m_teacherInfo.clear(); }

private:
    PlanList m_plans;
    std::vector<std::string> m_teachers;
    Rule m_rule;
    ProctorList m_items;
    TeacherInfoMap m_teacherInfo;
};

class CScheduleProctor : public CConfigHost {
public:
    CScheduleProctor() = default;
    ~CScheduleProctor() override = default;
    CScheduleProctor(const CScheduleProctor&) = delete;
    CScheduleProctor& operator=(const CScheduleProctor&) = delete;

    // The name of a set opened without one.
    static constexpr const char* kDefaultName = "未命名的监考";

    // Opens the set of that name (the current name when `name` is empty) in the task's proctor
    // folder, creating its folder when missing. Reading adds to the lists: open a new object.
    // False, with a message, for a name that cannot be a folder name, a folder that cannot be
    // made, or an in.xml or out.xml that exists but cannot be read in full (both are read
    // either way); Save then first offers to keep such files aside, so that the files on disk are
    // never replaced by what little was read.
    bool Open(CScheduleTask* task, const std::string& name = {});
    // Writes in.xml, then out.xml. False, with a message, when the name is empty or unusable,
    // after a failed read the user does not let it keep aside, or when a folder or file cannot be
    // written; a file whose save failed is left as it was.
    bool Save();

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    CProctorData& data() { return m_data; }
    const CProctorData& data() const { return m_data; }

protected:
    // False without a message for a missing file; false with a message for one that exists but
    // cannot be read in full (what was read stays in the lists).
    bool ReadInputData();
    bool ReadOutputData();
    bool SaveInputData();
    bool SaveOutputData();

private:
    // The set's folder, without a trailing '/'.
    std::string DataFolder() const { return m_proctorFolder + m_name; }
    bool CheckName() const;
    // Makes the proctor folder and the set's folder where missing; false, with the reason, when
    // either cannot be made or is not a real folder (a file or a link has its name).
    bool MakeFolders(std::string* error = nullptr, int* errorCode = nullptr) const;
    // Says why a save of the file at `path` failed.
    void ShowSaveError(const std::string& path, int errorCode) const;
    // Writes the document as the set's file of that name; false, having said why, on failure.
    bool SaveDocument(const pugi::xml_document& doc, const char* file) const;
    // Asks to rename the files not read in full to a dated name beside them and does so; false
    // when the user declines or a rename fails (said), and nothing may be saved.
    bool SetDamagedFilesAside();

    std::string m_proctorFolder;
    std::string m_name = kDefaultName;
    CProctorData m_data;
    // The files of the set that exist but were not read in full ("in.xml", "out.xml").
    std::vector<std::string> m_damagedFiles;
};
