#pragma once
// The two pages of mutually exclusive rules: teachers who must not teach at the same time, and
// groups of subjects a class must not have on one day. Each row owns a working copy of its entry;
// only Save writes the task's list.
#include "app/controls/ListBaseDlg.h"

#include <string>
#include <vector>

class CMutexOfTeacher;
class CMutexSubject;

class CMutexTeacherPage : public CListBaseDlg {
public:
    explicit CMutexTeacherPage(QWidget* parent = nullptr);

    bool Save() override;
    // A teacher, then the partners; a teacher who has a row is edited instead.
    void Add() override;
    void Edit() override;

protected:
    bool OnInitDialog() override;
    void InitColumns() override;
    void OnRowDoubleClick() override { Edit(); }

private:
    // Opens the chooser of partners for the teacher; false when cancelled.
    bool ChoosePartners(const std::string& teacherId, const std::string& teacherName,
                        std::vector<std::string>& partners);
    void ShowEntry(int row, const CMutexOfTeacher& entry);
    int FindRow(const std::string& teacherId) const;
};

class CMutexSubjectPage : public CListBaseDlg {
public:
    explicit CMutexSubjectPage(QWidget* parent = nullptr);

    bool Save() override;
    void Add() override;
    void Edit() override;

protected:
    bool OnInitDialog() override;
    void InitColumns() override;
    void OnRowDoubleClick() override { Edit(); }

private:
    // Opens the chooser of subjects; false when cancelled.
    bool ChooseSubjects(int minCount, std::vector<std::string>& subjectIds);
    // The number is the row's place when it was written; it is not renumbered on a delete.
    void ShowEntry(int row, const CMutexSubject& entry);
};
