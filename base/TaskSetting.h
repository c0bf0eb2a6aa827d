#pragma once
// The four base settings of a task, kept in input.xml and read by the scheduling engine.

class CTaskSetting {
public:
    CTaskSetting() = default;
    CTaskSetting(const CTaskSetting&) = default;
    CTaskSetting& operator=(const CTaskSetting&) = default;
    virtual ~CTaskSetting() = default;

    // Lessons of a plan are spread evenly over the week.
    bool GetStrictDistribution() const { return m_bStrictDistribution; }
    void SetStrictDistribution(bool on) { m_bStrictDistribution = on; }
    // Main subjects go to the morning, the others to the afternoon.
    bool GetSortByMainCourseType() const { return m_bSortByMainCourseType; }
    void SetSortByMainCourseType(bool on) { m_bSortByMainCourseType = on; }
    // A teacher's lessons in several classes are placed next to each other.
    bool GetConcentrateByTeacher() const { return m_bConcentrateByTeacher; }
    void SetConcentrateByTeacher(bool on) { m_bConcentrateByTeacher = on; }
    // A teacher's evening self-study lessons are placed together.
    bool GetConcentrateSelfstudy() const { return m_bConcentrateSelfstudy; }
    void SetConcentrateSelfstudy(bool on) { m_bConcentrateSelfstudy = on; }

private:
    bool m_bStrictDistribution = true;
    bool m_bSortByMainCourseType = true;
    bool m_bConcentrateByTeacher = false;
    bool m_bConcentrateSelfstudy = true;
};
