#include "platform/gui/ScrollCodes.h"

#include <QAbstractSlider>

namespace zem::gui {

unsigned ScrollCodeOfAction(int sliderAction)
{
    switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
    default:
        return SB_THUMBTRACK;
    }
}

}  // namespace zem::gui
