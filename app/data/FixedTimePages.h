#pragma once
// The list pages of fixed no-class times: for classes, teaching plans, subjects, teachers and teacher
// groups, the slots at which the owner gets no lesson, on three of them each slot optionally taken
// by a named activity. Rows come from an owner chooser followed by the time-slot picker; each row
// owns a working copy of its entry, and only Save writes the task's list.
#include "app/controls/ListBaseDlg.h"

#include <string>
#include <vector>

class CFixedTimeOfObject;
class CScheduleTask;
class CZemObjectList;

class CFixedTimePage : public CListBaseDlg {
public:
    explicit CFixedTimePage(QWidget* parent = nullptr);

    bool Save() override;
    void Add() override;
    void Edit() override;
    std::string PrintTitle() override { return m_printTitle; }

    // The row whose column 0 is the owner's id; -1 when none.
    int FindRow(const std::string& ownerId) const;

protected:
    bool OnInitDialog() override;
    void InitColumns() override;
    void OnRowDoubleClick() override { Edit(); }

    // The task's list the page edits.
    virtual CZemObjectList& Entries(CScheduleTask& task) const = 0;
    virtual CFixedTimeOfObject* NewEntry() const = 0;
    // The owner's display name; empty when the task no longer has it.
    virtual std::string OwnerName(const std::string& ownerId) const = 0;
    // Runs the page's chooser; the chosen owner ids in the chooser's order (none when cancelled).
    virtual std::vector<std::string> ChooseOwners() = 0;
    // The segments the owner's slots may lie in; empty allows all.
    virtual std::vector<int> AllowedSegments(const std::string& ownerId) const { return {}; }

    std::string m_printTitle;
    std::string m_ownerHeading;
    int m_ownerWidth = 160;
    int m_timesMargin = 185;  // the times column takes the list's width less this
    std::string m_oneCaption;   // "%s": the owner's name
    std::string m_manyCaption;  // "%s", "%d": the first owner's name and the count; empty: one owner only
    bool m_activities = false;
    // An owner chosen again with others: true adds the marked slots to its entry, false replaces them.
    bool m_combine = false;

private:
    void ShowEntry(int row, const CFixedTimeOfObject& entry);
    void AppendRow(CFixedTimeOfObject* entry);
};

class CClassFixedTimePage : public CFixedTimePage {
public:
    explicit CClassFixedTimePage(QWidget* parent = nullptr);

protected:
    CZemObjectList& Entries(CScheduleTask& task) const override;
    CFixedTimeOfObject* NewEntry() const override;
    std::string OwnerName(const std::string& ownerId) const override;
    std::vector<std::string> ChooseOwners() override;
};

class CPlanFixedTimePage : public CFixedTimePage {
public:
    explicit CPlanFixedTimePage(QWidget* parent = nullptr);

protected:
    CZemObjectList& Entries(CScheduleTask& task) const override;
    CFixedTimeOfObject* NewEntry() const override;
    std::string OwnerName(const std::string& ownerId) const override;
    std::vector<std::string> ChooseOwners() override;
    std::vector<int> AllowedSegments(const std::string& ownerId) const override;
};

class CSubjectFixedTimePage : public CFixedTimePage {
public:
    explicit CSubjectFixedTimePage(QWidget* parent = nullptr);

protected:
    CZemObjectList& Entries(CScheduleTask& task) const override;
    CFixedTimeOfObject* NewEntry() const override;
    std::string OwnerName(const std::string& ownerId) const override;
    std::vector<std::string> ChooseOwners() override;
};

class CTeacherFixedTimePage : public CFixedTimePage {
public:
    explicit CTeacherFixedTimePage(QWidget* parent = nullptr);

protected:
    CZemObjectList& Entries(CScheduleTask& task) const override;
    CFixedTimeOfObject* NewEntry() const override;
    std::string OwnerName(const std::string& ownerId) const override;
    std::vector<std::string> ChooseOwners() override;
};

class CTeacherGroupFixedTimePage : public CFixedTimePage {
public:
    explicit CTeacherGroupFixedTimePage(QWidget* parent = nullptr);

protected:
    CZemObjectList& Entries(CScheduleTask& task) const override;
    CFixedTimeOfObject* NewEntry() const override;
    std::string OwnerName(const std::string& ownerId) const override;
    std::vector<std::string> ChooseOwners() override;
};

