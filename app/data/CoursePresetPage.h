#pragma once
// The pre-arranged lessons: for each listed plan the slots the automatic run places its lessons at
// first. Each row owns a working copy of its entry; Save checks the entries against each other,
// asks before saving a conflict, and only then writes the task's list.
#include "app/controls/ListBaseDlg.h"

#include <string>
#include <vector>

class CCoursePreset;
class CCourseInfo;
class CTimeSlotPickerDlg;

class CCoursePresetPage : public CListBaseDlg {
public:
    explicit CCoursePresetPage(QWidget* parent = nullptr);

    bool Save() override;
    // Plans, then their slots; one plan that has a row is edited instead.
    void Add() override;
    void Edit() override;

    // The questions asked before saving; false when the user went back to the list.
    bool ValidateEntries();

protected:
    bool OnInitDialog() override;
    void InitColumns() override;
    void OnRowDoubleClick() override { Edit(); }

private:
    // The picker over the plan's week, segments and label; the caller sets the limit.
    void PreparePicker(CTimeSlotPickerDlg& picker, const CCourseInfo& plan, const std::string& subject,
                       const std::string& teacher);
    void ShowEntry(int row, const CCoursePreset& entry);
    int FindRow(const std::string& planId) const;
    // Asks to save anyway; true for OK.
    static bool AskToSave(const std::string& text);
};
