#pragma once
// What the plan adjustment tools share: the dark title band over a white page with a grey button
// band below, and the plan chooser that ticks the plans chosen before.
#include "platform/Gdi.h"

#include <string>
#include <vector>

class CCourseInfo;
class CCoursePlanPickerDlg;

namespace zem::gui {
class DC;
}

// Over the whole client: white, the title band of kDialogBandHeight and the footer band of
// kDialogFooterHeight.
void PaintAdjustToolBands(zem::gui::DC& dc, const zem::Rect& client, const std::string& title);

// Runs the multi-select picker under the title, ticking `plans` in advance when `chosen` (and
// showing only them when more than one); on OK the picked plans replace `plans`, `chosen` is set
// and true comes back.
bool ChooseAdjustPlans(CCoursePlanPickerDlg& picker, const std::string& title, std::vector<CCourseInfo*>& plans,
                       bool& chosen);
