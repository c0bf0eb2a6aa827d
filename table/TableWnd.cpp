#include "table/TableWnd.h"

#include "platform/gui/Desktop.h"

CTableWnd::CTableWnd()
{
    // Every pixel is painted from a memory image: no erase before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CTableWnd::~CTableWnd() = default;

void CTableWnd::SetColorMode(bool on)
{
    m_colorMode = on;
    Refresh();
}

void CTableWnd::AttachToHost(QWidget* parent, zem::MessageTarget* notify, const char* windowName)
{
    m_notify = notify;
    setObjectName(QString::fromLatin1(windowName));
    if (parent != parentWidget())
        setParent(parent);
    setGeometry(0, 0, 0, 0);
    if (parent)
        show();
}

zem::LRESULT CTableWnd::Notify(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    return zem::SendMessage(m_notify, message, wParam, lParam);
}

void CTableWnd::PlayMoveSound() const
{
    if (m_playSoundInMoving)
        zem::gui::PlaySoundAsync(zem::gui::ProgramFolder() + "sound/Notification.wav");
}
