#pragma once
// Services of the program around the controls, set by a test and installed for its life.
#include "app/shared/AppServices.h"

class FakeAppServices : public CAppServices {
public:
    FakeAppServices() { previous_ = SetAppServices(this); }
    ~FakeAppServices() override { SetAppServices(previous_); }
    FakeAppServices(const FakeAppServices&) = delete;
    FakeAppServices& operator=(const FakeAppServices&) = delete;

    CScheduleTask* GetTask() const override { return task; }
    std::string GetLastTaskFolder() const override { return lastTaskFolder; }
    bool GetShowTeacherByGroup() const override { return showTeacherByGroup; }
    int GetWeekTableBackground() const override { return background; }
    std::vector<std::string> GetSubjectSelection() const override { return subjects; }
    CTipWnd* GetTipWnd() const override { return tipWnd; }
    bool GetShowRoomNumber() const override { return showRoomNumber; }
    void ShowSettingsDialog() const override { ++settingsShown; }
    void ShowTaskInfoDialog() const override { ++taskInfoShown; }
    const CConfigHost* GetProgramConfig() const override { return config; }
    CWeekTablePageLayout* GetWeekPageLayout() const override { return weekLayout; }
    bool SaveWeekPageLayout() const override
    {
        ++layoutSaves;
        return true;
    }
    std::string GetSchoolName() const override { return schoolName; }
    bool GetColorTable() const override { return colorTable; }
    std::string GetExportFolder() const override { return exportFolder; }
    void StoreExportFolder(const std::string& folder) const override { storedExportFolder = folder; }
    int GetImportFormat() const override { return importFormat; }
    void StoreImportFormat(int format) const override { importFormat = format; }

    CScheduleTask* task = nullptr;
    std::string lastTaskFolder;
    bool showTeacherByGroup = true;
    int background = 1;
    std::vector<std::string> subjects;
    CTipWnd* tipWnd = nullptr;
    bool showRoomNumber = true;
    mutable int settingsShown = 0;
    mutable int taskInfoShown = 0;
    const CConfigHost* config = nullptr;
    CWeekTablePageLayout* weekLayout = nullptr;
    mutable int layoutSaves = 0;
    std::string schoolName;
    bool colorTable = false;
    std::string exportFolder;
    mutable std::string storedExportFolder;
    mutable int importFormat = 1;

private:
    CAppServices* previous_ = nullptr;
};
