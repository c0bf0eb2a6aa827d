#include "app/controls/RunWindow.h"

#include "app/controls/DialogLook.h"
#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "platform/WindowMessages.h"

#include <QLabel>
#include <QProgressBar>

CRunWindowDlg::CRunWindowDlg(QWidget* parent, const std::string& title)
    : Dialog(parent, title, kRunWindowSize),
      m_animation(std::make_unique<CFloatingWordsAnimation>()),
      m_timers([this](int id) { OnTimer(id); })
{
}

CRunWindowDlg::~CRunWindowDlg()
{
    m_timers.KillAll();
}

void CRunWindowDlg::BuildControls()
{
    const auto& u = Units();
    m_animationRect = UnitsRect(7, 7, 365, 78);
    m_status = new QLabel(this);
    m_status->setAttribute(Qt::WA_TranslucentBackground);
    m_status->setFont(CGdiResources::GetInstance()->NormalFont.GetQFont());
    SetWidgetRect(m_status, UnitsRect(7, 89, 365, 12));
    AddControl(IDC_STATUS, m_status);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    SetWidgetRect(m_progress, UnitsRect(7, 108, 306, 12));
    AddControl(IDC_PROGRESS, m_progress);
    CHoverButton* cancel = AddHoverButton(this, zem::IDCANCEL, "取消");
    SetWidgetTopLeft(cancel, u.X(322), u.Y(107));
}

void CRunWindowDlg::StartAnimation(std::vector<std::string> words)
{
    m_words = std::move(words);
    m_animation->Init(this, m_animationRect.left, m_animationRect.top, m_animationRect.right, m_animationRect.bottom,
                      m_words);
    m_timers.SetTimer(kAnimationTimer, kAnimationMs);
}

void CRunWindowDlg::SetStatus(const std::string& text)
{
    m_statusText = text;
    SetDlgItemText(IDC_STATUS, text);
}

int CRunWindowDlg::GetProgress() const
{
    return m_progress ? m_progress->value() : 0;
}

void CRunWindowDlg::OnTimer(int id)
{
    if (id == kFinishTimer) {
        m_timers.KillTimer(kFinishTimer);
        EndDialog(zem::IDCANCEL);
        return;
    }
    if (id != kAnimationTimer)
        return;
    m_animation->Step();
    update(m_animationRect.left, m_animationRect.top, m_animationRect.Width(), m_animationRect.Height());
    OnAnimationStep();
}

zem::LRESULT CRunWindowDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message != WM_SCHEDULE_PROGRESS)
        return Dialog::WindowProc(message, wParam, lParam);
    switch (wParam) {
    case 0:
        if (lParam)
            OnStatusText(zem::FromLParam<const char>(lParam));
        break;
    case 1:
        if (m_progress)
            m_progress->setValue(static_cast<int>(lParam));
        break;
    case 3:
        // The run has ended (an engine run has saved its result), even if a stop was asked meanwhile.
        m_finished = true;
        m_finishCode = static_cast<int>(lParam);
        if (!IsEnded())
            m_timers.SetTimer(kFinishTimer, kFinishPauseMs);
        break;
    default:
        break;
    }
    return 0;
}

void CRunWindowDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [&](zem::gui::DC& dc, const zem::Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        m_animation->Draw(dc);
    });
}
