#pragma once
// The chooser of the plan adjustment tools: one button per tool, each with what it does beside it.
// A click ends the chooser with OK and leaves the tool's code for the launcher to run; the link
// below shows the adjustment history.
#include "platform/Gdi.h"
#include "platform/gui/Dialog.h"

class CPlanAdjustHubDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 377,
        IDC_TITLE = 1105,
        IDC_NOTE = 1404,
        IDC_ADJUST_TEACHER = 1405,
        IDC_ADJUST_ROOM = 1406,
        IDC_SWAP_TEACHER = 1407,
        IDC_SPLIT_PLAN = 1408,
        IDC_HISTORY = 1409,
    };
    // The codes of the tools, in the order of their buttons.
    enum { ToolAdjustTeacher = 0, ToolAdjustRoom = 1, ToolSwapTeacher = 2, ToolSplitPlan = 3 };
    static constexpr zem::COLORREF kDescriptionColor = zem::RGB(128, 128, 128);

    explicit CPlanAdjustHubDlg(QWidget* parent = nullptr);

    // The chosen tool's code; -1 until a tool is chosen.
    int GetResult() const { return m_nResult; }
    // The description control beside a tool's button.
    static int DescriptionId(int buttonId) { return buttonId + 100; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(class QPaintEvent* event) override;

private:
    int m_nResult = -1;
};
