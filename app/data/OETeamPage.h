#pragma once
// "单双周组合": pairs of half-lesson plans of one class that share a slot, one in odd weeks and the
// other in even weeks. Each row owns a working copy of its pair; only Save writes the task's list.
#include "app/controls/ListBaseDlg.h"

#include <string>
#include <vector>

class CCourseInfo;
class COETeam;

class COETeamPage : public CListBaseDlg {
public:
    explicit COETeamPage(QWidget* parent = nullptr);

    bool Save() override;
    // Pairs plans chosen for odd weeks with plans chosen for even weeks.
    void Add() override;
    // Swaps the odd and even plans of every selected row.
    void Edit() override;

    // Pairs each odd plan, in order, with the first even plan left of its class and kind but of
    // another subject; a plan's earlier pairs on the page go. The number of pairs made.
    int Pair(const std::vector<CCourseInfo*>& odd, std::vector<CCourseInfo*> even);

protected:
    bool OnInitDialog() override;
    void InitColumns() override;
    void OnRowDoubleClick() override { Edit(); }

private:
    void AppendRow(COETeam* team);
    void ShowTeam(int row, const COETeam& team);
    // The plans ticked in the half-lesson picker under the title; empty when cancelled.
    std::vector<CCourseInfo*> PickPlans(const char* title);
};
