#pragma once
// Scroll requests as the program's scrolling windows take them (left and right share the values of
// up and down), and the request a Qt scroll bar's action stands for.
namespace zem::gui {

constexpr unsigned SB_LINEUP = 0;
constexpr unsigned SB_LINEDOWN = 1;
constexpr unsigned SB_PAGEUP = 2;
constexpr unsigned SB_PAGEDOWN = 3;
constexpr unsigned SB_THUMBPOSITION = 4;
constexpr unsigned SB_THUMBTRACK = 5;
constexpr unsigned SB_ENDSCROLL = 8;

// A step or a page of a QAbstractSlider::SliderAction; any other action moves the thumb.
unsigned ScrollCodeOfAction(int sliderAction);

}  // namespace zem::gui
