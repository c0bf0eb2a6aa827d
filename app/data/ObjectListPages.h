#pragma once
// The list pages of classes, teachers, subjects and rooms. Their rows are texts only: saving finds
// each row's object in the task by its id (or makes it), sets its fields from the row and its
// order from the row's position, removes the deleted ones and repairs what pointed at them.
#include "app/data/BasicDataPage.h"
#include "app/data/BatchAddClassDlg.h"
#include "app/data/BatchAddCourseDlg.h"
#include "app/data/BatchAddRoomDlg.h"
#include "app/data/BatchAddTeacherDlg.h"
#include "app/data/ObjectInfoDlg.h"
#include "base/ScheduleTask.h"
#include "platform/Text.h"
#include "platform/gui/Timers.h"

#include <memory>
#include <string>
#include <vector>

class CObjectListPage : public CBasicDataPage {
public:
    struct Column {
        const char* heading;
        int width;
    };
    using TaskListOf = CZemObjectList& (CScheduleTask::*)();
    using Repair = void (CScheduleTask::*)(bool clearTables);

    bool Save() override;
    void Add() override;
    void Edit() override;

protected:
    // The page shows `list` of the task; after a save `repair` mends what pointed at its removed
    // objects, lessons in every table included.
    CObjectListPage(QWidget* parent, std::vector<Column> columns, TaskListOf list, Repair repair);

    void InitColumns() override;

    virtual CZemObject* NewObject() const = 0;
    // The texts of columns 1.. for an object of the task.
    virtual std::vector<std::string> ObjectColumns(const CZemObject& object) const = 0;
    // Sets the object's fields from the texts of columns 1..
    virtual void StoreColumns(CZemObject& object, const std::vector<std::string>& columns) const = 0;
    // The add and modify dialog, prefilled from the row's columns in modify mode.
    virtual std::unique_ptr<CObjectInfoDlg> NewDialog(const std::vector<std::string>* columns) = 0;
    // Whether the row's texts may be stored into the task's object (null for a new row); says why
    // not. Checked for every row before anything is stored.
    virtual bool CanStore(const CZemObject* object, const std::vector<std::string>& columns) const { return true; }

    std::vector<std::string> RowColumns(int row) const;

private:
    std::vector<Column> m_columns;
    TaskListOf m_taskList;
    Repair m_repair;
};

// A page whose objects have a name, a short name and a priority, the columns 1 to 3.
template <class Object, class InfoDlg, class BatchDlg>
class CPriorityListPage : public CObjectListPage {
public:
    void BatchAdd() override { RunBatchAdd<BatchDlg>(this); }

protected:
    using CObjectListPage::CObjectListPage;

    bool HasBatchAdd() const override { return true; }

    CZemObject* NewObject() const override { return new Object; }
    std::vector<std::string> ObjectColumns(const CZemObject& object) const override
    {
        const auto& named = static_cast<const Object&>(object);
        return {named.GetName(), named.GetShortName(), PriorityDesc(named.GetPriority())};
    }
    void StoreColumns(CZemObject& object, const std::vector<std::string>& columns) const override
    {
        auto& named = static_cast<Object&>(object);
        named.SetName(columns.at(0));
        named.SetShortName(columns.at(1));
        named.SetPriority(PriorityIndex(columns.at(2)));
    }
    std::unique_ptr<CObjectInfoDlg> NewDialog(const std::vector<std::string>* columns) override
    {
        auto dialog = std::make_unique<InfoDlg>(this);
        if (columns)
            dialog->m_priority = PriorityIndex(columns->at(2));
        return dialog;
    }
    // A row without a priority, or with an empty one, gets the normal one.
    std::optional<std::string> MissingCellText(int index) const override
    {
        return index == 2 ? std::optional<std::string>(PriorityDesc(1)) : std::nullopt;
    }
    std::string CellText(int index, const std::string& cell) const override
    {
        return index == 2 && zem::Trim(cell).empty() ? PriorityDesc(1) : CObjectListPage::CellText(index, cell);
    }
    // A priority the task does not name would be shown as typed and stored as the normal one: refused, as the
    // dialog's list offers none but the task's.
    bool Validate(const CPageRow* cells, CPageNotify* notify) override
    {
        if (!CObjectListPage::Validate(cells, notify))
            return false;
        if (cells->size() > 2) {
            const std::string priority(zem::Trim((*cells)[2]));
            if (!priority.empty() && PriorityDesc(PriorityIndex(priority)) != priority)
                return Refuse(notify, "优先级无效: " + priority, false);
        }
        return true;
    }
};

class CClassListPage : public CPriorityListPage<CClassInfo, CClassInfoDlg, CBatchAddClassDlg> {
public:
    enum { IDC_PROMOTE = 1333, kBatchAddTimer = 1 };

    explicit CClassListPage(QWidget* parent = nullptr);

    // Grade promotion of every class of the page; the rows change on OK.
    void PromoteGrades();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    std::vector<std::string> ObjectColumns(const CZemObject& object) const override;
    void StoreColumns(CZemObject& object, const std::vector<std::string>& columns) const override;
    std::unique_ptr<CObjectInfoDlg> NewDialog(const std::vector<std::string>* columns) override;
    std::optional<std::string> MissingCellText(int index) const override;

private:
    zem::gui::WindowTimers m_timers;
};

class CTeacherListPage : public CPriorityListPage<CTeacherInfo, CTeacherInfoDlg, CBatchAddTeacherDlg> {
public:
    enum { ID_SORT_BY_NAME = 32865, ID_SORT_BY_GROUP = 32866 };

    explicit CTeacherListPage(QWidget* parent = nullptr);

    // Asks by name or by group, then sorts.
    void Sort() override;
    // By group: a teacher without a group after one with a group, groups by name, then the base's
    // comparison; by name the base's.
    int CompareRows(int row1, int row2) override;
    int GetSortMode() const { return m_sortMode; }

private:
    int m_sortMode = 0;
    // The group name of each row, by its position before the sort.
    std::vector<std::string> m_groupOfRow;
};

class CSubjectListPage : public CPriorityListPage<CSubjectInfo, CSubjectInfoDlg, CBatchAddCourseDlg> {
public:
    explicit CSubjectListPage(QWidget* parent = nullptr);
};

class CRoomListPage : public CObjectListPage {
public:
    explicit CRoomListPage(QWidget* parent = nullptr);

    void BatchAdd() override { RunBatchAdd<CBatchAddRoomDlg>(this); }
    // The base's name check, then the capacity: a number below 1 is refused.
    bool Validate(const CPageRow* cells, CPageNotify* notify) override;
    std::string CheckAddedRows(const std::vector<CPageRow>& rows, bool byName, int replacedRow = -1) const override;

protected:
    bool HasBatchAdd() const override { return true; }
    int MinimumCells() const override { return 3; }
    std::string CellText(int index, const std::string& cell) const override;
    CZemObject* NewObject() const override;
    std::vector<std::string> ObjectColumns(const CZemObject& object) const override;
    void StoreColumns(CZemObject& object, const std::vector<std::string>& columns) const override;
    std::unique_ptr<CObjectInfoDlg> NewDialog(const std::vector<std::string>* columns) override;
    // A room keeps at least the places its lessons use: fewer would drop lessons that the classes
    // and teachers still hold.
    bool CanStore(const CZemObject* object, const std::vector<std::string>& columns) const override;
};

// The room capacity a cell stands for: its integer value, 1 for a text that is no number; below 1
// is refused (false).
bool ParseRoomCapacity(const std::string& cell, int* capacity);
