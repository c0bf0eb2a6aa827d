#include "base/ScheduleTask.h"

#include "base/Log.h"
#include "base/TaskFolder.h"
#include "base/TaskFolderRestore.h"
#include "base/TaskXml.h"
#include "base/Utility.h"
#include "platform/Hooks.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

template <typename T>
T* FindAs(const CZemObjectList& list, const std::string& id)
{
    return static_cast<T*>(list.Find(id));
}

std::string NameOf(const CZemObjectList& list, const std::string& id)
{
    const CZemObject* object = list.Find(id);
    return object ? object->GetName() : std::string();
}

}  // namespace

CScheduleTask::CScheduleTask() = default;

CScheduleTask::~CScheduleTask() { Clear(); }

bool CScheduleTask::Open(const std::string& taskFile, TaskAccess access)
{
    // Until input.xml is read in full, nothing of this task is saved over the files.
    m_inputReadFailed = true;
    if (!IsPathExist(taskFile, false))
        return false;
    std::string error;
    if (!m_taskInfo.ReadFromFile(taskFile, &error)) {
        const std::size_t slash = taskFile.rfind('/');
        zem::ShowMessage(zem::Format("读取 %s 文件出错！\n\n%s", taskFile.substr(slash + 1).c_str(), error.c_str()),
                         "提示", zem::MessageIcon::Error);
        return false;
    }
    // A task needs a name for its windows, backups and copies: without a readable one it takes its
    // folder's, and the user hears why.
    if (m_taskInfo.GetTaskName().empty()) {
        std::string folder = m_taskInfo.GetTaskFolder();
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        std::string name = folder.substr(folder.rfind('/') + 1);
        if (name.empty() || name == "." || name == "..") {
            name = taskFile.substr(taskFile.rfind('/') + 1);
            name = name.substr(0, name.rfind('.'));
        }
        m_taskInfo.SetTaskName(name);
        zem::ShowMessage(zem::Format("排课任务文件 %s 中的任务名称（Name）无法读取，已改用文件夹的名称“%s”。",
                                     taskFile.c_str(), name.c_str()),
                         "提示", zem::MessageIcon::Warning);
    }
    m_readOnly = access == TaskAccess::ReadOnly;
    if (!m_readOnly) {
        if (!LockForWriting())
            return false;
        m_writer = true;
        CleanUpLeftovers();
    }
    SetConfigFile(m_taskInfo.GetTaskFolder() + "task.ini");
    if (!ReadInputData())
        return false;
    MaintainInputIntegrities();
    ReadOutputData();
    ReadTempTables();
    ReadReportInfo();
    ReadBackupInfo();
    return true;
}

void CScheduleTask::ReadTempTables()
{
    for (CZemObjectList* list : {&m_classes, &m_teachers, &m_courses, &m_selfStudies})
        for (const auto& [id, object] : *list) {
            auto* owner = static_cast<CZemTableObject*>(object);
            owner->ReadTempTable();
            owner->GetTempTable().SetDirty(false);
        }
    for (const auto& [id, object] : m_rooms) {
        CComplexTable& places = static_cast<CRoomInfo*>(object)->GetComplexTable();
        places.ReadTemps();
        for (const bool temp : {true, false})
            for (int i = 0; CCourseTable* table = places.Enum(temp, i); ++i)
                table->SetDirty(false);
    }
}

bool CScheduleTask::LockForWriting()
{
    const std::string folder = m_taskInfo.GetTaskFolder();
    switch (m_lock.Lock(folder.empty() ? "./" : folder)) {
    case zem::FolderLock::Result::Locked:
        return true;
    case zem::FolderLock::Result::Busy:
        zem::ShowMessage("该排课任务正在被其他程序使用", "提示", zem::MessageIcon::Warning);
        return false;
    case zem::FolderLock::Result::Unsupported:
        // A file system without locks must not keep the user from the task.
        CLog::inst()->Log("file", "no lock on %s", folder.c_str());
        return true;
    }
    return true;
}

bool CScheduleTask::CheckSavable()
{
    if (m_readOnly) {
        zem::ShowMessage("该排课任务是以只读方式打开的，不能保存。", "提示", zem::MessageIcon::Warning);
        return false;
    }
    if (m_inputReadFailed) {
        zem::ShowMessage("打开任务时，input.xml 未能完整读入。为免覆盖文件中的数据，本次未保存。", "提示",
                         zem::MessageIcon::Warning);
        return false;
    }
    // A task opened for writing and then given a new folder takes the new one at its first save.
    return taskxml::CheckTaskFolder(*this) && (!m_writer || LockForWriting());
}

void CScheduleTask::CleanUpLeftovers() const
{
    // A restore or a backup the program was stopped in is undone or finished before anything is read.
    const std::string folder = m_taskInfo.GetTaskFolder();
    TaskFolderRestore::FinishInterrupted(folder);
    if (zem::RealFolderExists(folder + "Backup"))
        TaskFolder::CleanStaging(folder + "Backup");
    // Saves write into the task folder, the backup copies and the invigilation sets.
    int removed = zem::RemoveOwnTemporaryFiles(folder);
    for (const char* sub : {"Backup", "proctor"}) {
        std::vector<zem::FolderEntry> entries;
        if (!zem::RealFolderExists(folder + sub) || !zem::ListFolder(folder + sub, entries))
            continue;
        for (const zem::FolderEntry& entry : entries)
            if (entry.isFolder)
                removed += zem::RemoveOwnTemporaryFiles(folder + sub + "/" + entry.name);
    }
    if (removed > 0)
        CLog::inst()->Log("file", "removed %d temporary files left in %s", removed, folder.c_str());
}

CClassInfo* CScheduleTask::GetClass(const std::string& id) const { return FindAs<CClassInfo>(m_classes, id); }
CTeacherInfo* CScheduleTask::GetTeacher(const std::string& id) const { return FindAs<CTeacherInfo>(m_teachers, id); }
CRoomInfo* CScheduleTask::GetRoom(const std::string& id) const { return FindAs<CRoomInfo>(m_rooms, id); }
CSubjectInfo* CScheduleTask::GetSubject(const std::string& id) const { return FindAs<CSubjectInfo>(m_subjects, id); }

CCourseAssistant* CScheduleTask::GetAssistant(const std::string& courseId) const
{
    return FindAs<CCourseAssistant>(m_assistants, courseId);
}

CCombineClass* CScheduleTask::GetCC(const std::string& courseId) const
{
    return m_combineClasses.FindByCourse(courseId);
}

CMutexSubject* CScheduleTask::GetMutexSubject(const std::string& subjectId) const
{
    // The list has no meaningful order; the first rule found in its iteration order wins.
    for (const auto& [id, object] : m_mutexSubjects) {
        auto* rule = static_cast<CMutexSubject*>(object);
        if (IsStringInArray(rule->GetSubjectArray(), subjectId))
            return rule;
    }
    return nullptr;
}

CCourseInfo* CScheduleTask::FindCourse(const std::string& id) const
{
    if (CZemObject* course = m_courses.Find(id))
        return static_cast<CCourseInfo*>(course);
    return FindAs<CCourseInfo>(m_selfStudies, id);
}

std::string CScheduleTask::GetClassNameA(const std::string& id) const { return NameOf(m_classes, id); }
std::string CScheduleTask::GetTeacherName(const std::string& id) const { return NameOf(m_teachers, id); }
std::string CScheduleTask::GetSubjectName(const std::string& id) const { return NameOf(m_subjects, id); }
std::string CScheduleTask::GetRoomName(const std::string& id) const { return NameOf(m_rooms, id); }

void CScheduleTask::GetFullCourseList(std::vector<CCourseInfo*>& out) const
{
    for (const auto& [id, object] : m_courses)
        out.push_back(static_cast<CCourseInfo*>(object));
    for (const auto& [id, object] : m_selfStudies)
        out.push_back(static_cast<CCourseInfo*>(object));
}

int CScheduleTask::GetClassCountOfTeacher(const CZemObjectList& courses, const std::string& teacherId) const
{
    std::vector<std::string> classIds;
    for (const auto& [id, object] : courses) {
        const auto* course = static_cast<const CCourseInfo*>(object);
        if (!zem::EqualsNoCase(course->GetTeacherId(), teacherId))
            continue;
        bool seen = false;
        for (const std::string& classId : classIds)
            seen = seen || classId == course->GetClassId();
        if (!seen)
            classIds.push_back(course->GetClassId());
    }
    return static_cast<int>(classIds.size());
}

int CScheduleTask::GetWeekCountOfTeacher(const CZemObjectList& courses, const std::string& teacherId) const
{
    CWeekCount sum;
    for (const auto& [id, object] : courses) {
        const auto* course = static_cast<const CCourseInfo*>(object);
        if (zem::EqualsNoCase(course->GetTeacherId(), teacherId))
            sum += course->GetWeekCount();
    }
    return sum.GetWholeCount();
}

int CScheduleTask::GetWeekCountOfMutexSubject(CMutexSubject* rule, const CZemObjectList& courses,
                                              const std::string& classId) const
{
    if (!rule)
        return 0;
    CWeekCount sum;
    for (const auto& [id, object] : courses) {
        const auto* course = static_cast<const CCourseInfo*>(object);
        if (zem::EqualsNoCase(course->GetClassId(), classId) &&
            IsStringInArray(rule->GetSubjectArray(), course->GetSubjectId()))
            sum += course->GetWeekCount();
    }
    return sum.GetWholeCount();
}

void CScheduleTask::GetAllTeacherId(std::vector<std::string>& out, CCourseInfo* course, bool withCombined) const
{
    if (!course)
        return;
    auto addTeachersOf = [&](const CCourseInfo* c) {
        AddUniqueString(out, c->GetTeacherId());
        if (const CCourseAssistant* assistant = GetAssistant(c->GetId()))
            for (const std::string& teacherId : assistant->GetAssistants())
                AddUniqueString(out, teacherId);
    };
    addTeachersOf(course);
    if (!withCombined)
        return;
    if (const CCombineClass* combined = GetCC(course->GetId())) {
        for (const std::string& otherId : combined->GetCombineCourse()) {
            if (zem::EqualsNoCase(otherId, course->GetId()))
                continue;
            if (const CCourseInfo* other = FindCourse(otherId))
                addTeachersOf(other);
        }
    }
}

std::string CScheduleTask::GetAllTeacherName(CCourseInfo* course, bool fullName, bool withCombined) const
{
    if (!course)
        return {};
    std::vector<std::string> ids;
    GetAllTeacherId(ids, course, withCombined);
    std::string names;
    for (const std::string& id : ids) {
        const CTeacherInfo* teacher = GetTeacher(id);
        if (!teacher)
            continue;
        if (!names.empty())
            names += ' ';
        names += fullName ? teacher->GetName() : teacher->GetShortName();
    }
    return names;
}

int CScheduleTask::GetOneDayMaxNodes(const CCourseInfo* course) const
{
    if (!course)
        return 0;
    const CWeekCount& count = course->GetWeekCount();
    const int lessons = count.GetWholeCount() + (count.HasHalfNode() ? 1 : 0);
    // With no day in use there is nothing to spread over: the whole week may fall on one day.
    const int days = m_schoolStructure.GetWeekDayCount();
    if (days <= 0)
        return lessons;
    const int block = course->GetContinuousNodes() < 2 ? 1 : course->GetContinuousNodes();
    const int times = course->GetContinuousTimes();
    const int blocks = (times == 0 || lessons / block < times) ? lessons / block : times;
    const int perDayByBlocks = block * (blocks / days) + (blocks % days != 0 ? block : 0);
    const int perDayByLessons = (lessons + days - 1) / days;
    return std::max(perDayByBlocks, perDayByLessons);
}
