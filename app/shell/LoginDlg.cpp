#include "app/shell/LoginDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Md5.h"
#include "app/shell/ShellBitmaps.h"
#include "app/controls/Bitmaps.h"
#include "platform/Hooks.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTimer>

using zem::Rect;

CLoginDlg::CLoginDlg(QWidget* parent)
    : Dialog(parent, "Tavelin", {335, 184}), m_timers([this](int id) { OnTimer(id); })
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowIcon(MainIcon());
}

CLoginDlg::~CLoginDlg() = default;

bool CLoginDlg::Run(const std::string& digest)
{
    m_strDigest = digest;
    m_bPasswordMode = !digest.empty();
    if (!m_bPasswordMode) {
        if (!OnInitDialog())
            return true;
        show();
        raise();
        return true;
    }
    return DoModal() == zem::IDOK;
}

bool CLoginDlg::IsSplashShowing() const
{
    return !m_bPasswordMode && isVisible();
}

bool CLoginDlg::OnInitDialog()
{
    RegisterShellBitmaps();
    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    m_editTemplate = UnitsRect(92, 118, 150, 14);
    if (!m_bPasswordMode) {
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
        // Without a window manager a window shown later would cover the splash: it rises again.
        qApp->installEventFilter(this);
        m_timers.SetTimer(kSplashTimer, kSplashMs);
        return true;
    }
    // A normal window, so that it takes the keyboard and shows in the task bar.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    Rect edit = m_editTemplate;
    edit.DeflateRect(3, 4, 3, 2);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setFrame(false);
    AddField(this, IDC_PASSWORD, m_password, edit);
    m_promptRect = m_editTemplate;
    m_promptRect.OffsetRect(0, -(m_editTemplate.Height() - 4));
    auto* ok = new CHoverButton(this);
    ok->CreateButton(this, "登录", zem::IDOK);
    SetWidgetRect(ok, UnitsRect(92, 142, 70, 16));
    ok->setDefault(true);
    auto* cancel = new CHoverButton(this);
    cancel->CreateButton(this, "取消", zem::IDCANCEL);
    SetWidgetRect(cancel, UnitsRect(172, 142, 70, 16));
    m_password->setFocus();
    return true;
}

void CLoginDlg::OnTimer(int id)
{
    if (id != kSplashTimer)
        return;
    m_timers.KillTimer(kSplashTimer);
    qApp->removeEventFilter(this);
    hide();
}

bool CLoginDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_bPasswordMode && event->type() == QEvent::Show && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow() && isVisible()) {
        QTimer::singleShot(0, this, [this] { raise(); });
        // The splash's time counts from the main window's showing: a slow start would otherwise
        // spend it before there is anything for it to lie over.
        if (!m_overWindow) {
            m_overWindow = true;
            m_timers.SetTimer(kSplashTimer, kSplashMs);
        }
    }
    return Dialog::eventFilter(watched, event);
}

void CLoginDlg::OnOK()
{
    if (!m_bPasswordMode)
        return;
    std::string entered = zem::gui::FromQ(m_password->text());
    Md5HexInPlace(entered);
    if (entered != m_strDigest) {
        zem::ShowMessage("密码不正确", "提示", zem::MessageIcon::Error);
        m_password->setFocus();
        m_password->selectAll();
        return;
    }
    EndDialog(zem::IDOK);
}

void CLoginDlg::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        zem::gui::DC dc(&image);
        const QImage back = LoadBitmapResource(IDB_LOGIN_BACK);
        dc.Painter().drawImage(QRect(0, 0, width(), height()), back);
        dc.SelectFont(CGdiResources::GetInstance()->DefaultFont);
        if (m_bPasswordMode) {
            dc.FillSolidRect(m_editTemplate, zem::RGB(255, 255, 255));
            dc.FrameRect(m_editTemplate, zem::RGB(0x80, 0x80, 0x80));
            dc.SetBkMode(zem::gui::TRANSPARENT);
            dc.SetTextColor(zem::RGB(0, 0, 0));
            dc.DrawText("请输入登录密码：", m_promptRect, zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER);
        }
    }
    QPainter(this).drawImage(0, 0, image);
}
