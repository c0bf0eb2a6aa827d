#pragma once
// The start page of a whole-school automatic run: what the run will do, and the button that
// starts it. Closing it any other way cancels the run.
#include "platform/gui/DC.h"
#include "platform/gui/Dialog.h"

#include <string>

// The start pages' look: white above a grey strip at the bottom, the picture, and the text in the
// shared text font.
void DrawRunWelcome(zem::gui::DC& dc, const zem::Rect& client, int bottomStrip, const zem::Rect& pictureRect,
                    int pictureId, const zem::Rect& textRect, const std::string& text);

class CAutoScheduleStartDlg : public zem::gui::Dialog {
public:
    enum { IDD = 299, IDB_PICTURE = 187, IDC_TEXT_FRAME = 1247 };
    static constexpr int kBottomStrip = 55;
    static constexpr const char* kWelcomeText =
        "欢迎使用计算机自动排课！\n所有的课表将重新自动编排，现有的课表数据将被新的排课结果覆盖。";

    explicit CAutoScheduleStartDlg(QWidget* parent = nullptr);

    const zem::Rect& GetTextRect() const { return m_textRect; }

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    zem::Rect m_pictureRect;
    zem::Rect m_textRect;
};
