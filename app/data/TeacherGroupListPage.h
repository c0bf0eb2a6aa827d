#pragma once
// The list page of the task's teacher groups. Each row holds its own copy of the group; saving puts
// copies of them into the task in the rows' order.
#include "app/data/BasicDataPage.h"

#include <string>
#include <vector>

class CTeacherGroupInfo;

class CTeacherGroupListPage : public CBasicDataPage {
public:
    explicit CTeacherGroupListPage(QWidget* parent = nullptr);

    bool Save() override;
    void Add() override;
    void Edit() override;
    void BatchAdd() override;

    // The member ids cell 1 names: with byName teacher names, else ids joined with ","; each teacher
    // once. Names or ids of no teacher of the task are left out, and listed in `unknown` when given.
    static std::vector<std::string> ParseMembers(const std::string& cell, bool byName,
                                                 std::vector<std::string>* unknown = nullptr);

    // A row holds the name and the members; the count is the page's own.
    std::vector<std::string> ImportHeadings() const override { return {"教师组", "成员"}; }

protected:
    bool OnInitDialog() override;
    bool HasBatchAdd() const override { return true; }
    void InitColumns() override;
    bool WriteRow(int row, bool isNew, const CPageRow& cells, CPageNotify& notify) override;

private:
    void ShowGroup(int row, const CTeacherGroupInfo& group);
};
