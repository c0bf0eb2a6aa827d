#pragma once
// Shows the open task's name and folder, and renames the task or saves it under another name or
// in another place.
#include "platform/Gdi.h"
#include "platform/gui/Dialog.h"

#include <string>

class CTaskInfoDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 380,
        IDC_EXPLANATION = 1023,
        IDC_NAME = 1401,
        IDC_RENAME = 1402,
        IDC_FOLDER = 1403,
        IDC_SAVE_AS = 1404,
    };
    static constexpr const char* kExplanation =
        "排课任务是一个文件夹\n您的数据都是保存在排课任务文件夹里的\n通常情况下，一个学期的课表可以对应一个排课任务\n"
        "您可以在“1 开始”页中根据需要创建任意数量的排课任务或切换任务";

    explicit CTaskInfoDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void paintEvent(class QPaintEvent* event) override;

private:
    void ShowTask();
    // The name typed into the name prompt, starting from the task's; false when cancelled.
    bool AskName(const char* caption, const char* prompt, std::string& name);
    void OnRename();
    void OnSaveAs();

    zem::Rect m_explanation;
};
