#include "app/controls/AdjustToolLook.h"

#include "app/controls/CoursePlanPickerDlg.h"
#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "base/BasicData.h"
#include "platform/gui/DC.h"

void PaintAdjustToolBands(zem::gui::DC& dc, const zem::Rect& client, const std::string& title)
{
    const CGdiResources* gdi = CGdiResources::GetInstance();
    dc.FillSolidRect(client, gdi->m_whiteBrush);
    dc.FillSolidRect(zem::Rect(0, 0, client.right, kDialogBandHeight), gdi->m_headerBrush);
    dc.SelectFont(gdi->TitleFont);
    dc.SetTextColor(zem::RGB(255, 255, 255));
    dc.DrawText(title, zem::Rect(20, 0, client.right, kDialogBandHeight),
                zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT);
    dc.FillSolidRect(zem::Rect(0, client.bottom - kDialogFooterHeight, client.right, client.bottom),
                     gdi->m_dialogBrush);
}

bool ChooseAdjustPlans(CCoursePlanPickerDlg& picker, const std::string& title, std::vector<CCourseInfo*>& plans,
                       bool& chosen)
{
    picker.SetTitle(title);
    picker.m_singleSelection = false;
    if (chosen) {
        for (const CCourseInfo* plan : plans)
            picker.m_preChecked.push_back(plan->GetId());
        picker.m_showChosenAtStart = plans.size() > 1;
    }
    if (picker.DoModal() != zem::IDOK)
        return false;
    plans = picker.GetChosenPlans();
    chosen = true;
    return true;
}
