#pragma once
// Builds small schools through the task's own API, for tests: a five-day week of 4 forenoon and
// 3 afternoon periods, and one call per object. Objects are numbered in the order they are added.
#include "base/ScheduleTask.h"

#include <initializer_list>
#include <memory>
#include <string>

class SchoolBuilder {
public:
    SchoolBuilder() : task_(std::make_unique<CScheduleTask>())
    {
        CSchoolStructure& week = task_->GetSchoolStructure();
        for (int day = 5; day < zem::kDayCount; ++day)
            week.SetWeekDay(day, false);
        week.SetSectionNodeMaxCount(1, 3, true);
        week.RefreshData();
    }

    CScheduleTask& Task() { return *task_; }
    std::unique_ptr<CScheduleTask> Release() { return std::move(task_); }

    static tagTABLE_NODE N(int day, int segment, int section) { return {day, segment, section}; }

    CSubjectInfo* Subject(const std::string& id, const std::string& name, const std::string& shortName = {})
    {
        auto* subject = Named<CSubjectInfo>(task_->GetSubjectInfoList(), id, name);
        subject->SetShortName(shortName);
        return subject;
    }

    CTeacherInfo* Teacher(const std::string& id, const std::string& name, const std::string& shortName = {})
    {
        auto* teacher = Named<CTeacherInfo>(task_->GetTeacherInfoList(), id, name);
        teacher->SetShortName(shortName);
        return teacher;
    }

    CClassInfo* Class(const std::string& id, const std::string& name, const std::string& shortName = {})
    {
        auto* cls = Named<CClassInfo>(task_->GetClassInfoList(), id, name);
        cls->SetShortName(shortName);
        return cls;
    }

    CRoomInfo* Room(const std::string& id, const std::string& name, int capacity = 1)
    {
        auto* room = Named<CRoomInfo>(task_->GetRoomInfoList(), id, name);
        room->SetCapacity(capacity);
        return room;
    }

    CTeacherGroupInfo* Group(const std::string& id, const std::string& name, std::initializer_list<std::string> teachers)
    {
        auto* group = Named<CTeacherGroupInfo>(task_->GetTeacherGroupInfoList(), id, name);
        group->ResetGroup(teachers);
        return group;
    }

    // A teaching plan; the weekly count as written in the program ("2", "2.5").
    CCourseInfo* Course(const std::string& id, const std::string& classId, const std::string& subjectId,
                        const std::string& teacherId, const char* weekCount = "2", const std::string& roomId = {})
    {
        return Plan(task_->GetCourseInfoList(), id, classId, subjectId, teacherId, weekCount, roomId, COURSE_TYPE_PLAN);
    }

    // A morning-reading (type 1) or evening self-study (type 2) plan.
    CCourseInfo* SelfStudy(const std::string& id, const std::string& classId, const std::string& subjectId,
                           const std::string& teacherId, _CourseType type, const char* weekCount = "1")
    {
        return Plan(task_->GetSelfStudyInfoList(), id, classId, subjectId, teacherId, weekCount, {}, type);
    }

    CCombineClass* Combined(const std::string& id, std::initializer_list<std::string> courseIds)
    {
        auto* combined = Added<CCombineClass>(task_->GetCombineCourseList(), id);
        combined->GetCombineCourse() = courseIds;
        task_->GetCombineCourseList().ReBuildCourseMap();
        return combined;
    }

    CCourseAssistant* Assistant(const std::string& courseId, std::initializer_list<std::string> teacherIds)
    {
        auto* assistant = Added<CCourseAssistant>(task_->GetAssistantList(), courseId);
        assistant->GetAssistants() = teacherIds;
        return assistant;
    }

    // Fixed times as the file writes them: "102,1210," (day*100 + segment*10 + section).
    template <class Kind>
    Kind* FixedTime(CZemObjectList& list, const std::string& id, const std::string& times)
    {
        auto* fixed = Added<Kind>(list, id);
        fixed->ReadFixedTimeFromString(times);
        return fixed;
    }

    CCoursePreset* Preset(const std::string& courseId, const std::string& times)
    {
        auto* preset = Added<CCoursePreset>(task_->GetCoursePresetList(), courseId);
        preset->ReadFixedTimeFromString(times);
        return preset;
    }

    COETeam* OddEven(const std::string& id, const std::string& oddCourse, const std::string& evenCourse)
    {
        auto* team = Added<COETeam>(task_->GetOETeamList(), id);
        team->Set(oddCourse, evenCourse);
        return team;
    }

    CMutexSubject* MutexSubjects(const std::string& id, std::initializer_list<std::string> subjectIds)
    {
        auto* rule = Added<CMutexSubject>(task_->GetMutexSubjectList(), id);
        rule->Reset(subjectIds);
        return rule;
    }

    CMutexOfTeacher* MutexTeachers(const std::string& teacherId, std::initializer_list<std::string> teacherIds)
    {
        auto* rule = Added<CMutexOfTeacher>(task_->GetMutexOfTeacherList(), teacherId);
        rule->GetMutexTeachers() = teacherIds;
        task_->GetMutexOfTeacherList().RebuildEachTeacherMap();
        return rule;
    }

private:
    template <class T>
    T* Added(CZemObjectList& list, const std::string& id)
    {
        auto* object = new T;
        object->SetId(id);
        object->SetIndex(list.GetCount());
        list.Add(object);
        return object;
    }

    template <class T>
    T* Named(CZemObjectList& list, const std::string& id, const std::string& name)
    {
        T* object = Added<T>(list, id);
        object->SetName(name);
        list.Modify(object);
        return object;
    }

    CCourseInfo* Plan(CZemObjectList& list, const std::string& id, const std::string& classId,
                      const std::string& subjectId, const std::string& teacherId, const char* weekCount,
                      const std::string& roomId, _CourseType type)
    {
        auto* course = Added<CCourseInfo>(list, id);
        course->SetClass(classId);
        course->SetSubject(subjectId);
        course->SetTeacher(teacherId);
        course->SetWeekCount(CWeekCount(weekCount));
        course->SetRoom(roomId);
        course->SetType(type);
        return course;
    }

    std::unique_ptr<CScheduleTask> task_;
};
