#include "app/controls/HyperLink.h"

#include "app/controls/GdiResources.h"
#include "app/controls/ShellFunctions.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/DC.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>

#include <cstdlib>

namespace {

constexpr int kTimerPeriodMs = 100;

// The user's browser command (the BROWSER convention: commands separated by ':'), the fallback when
// the desktop cannot open an address; empty when none is set.
std::string BrowserCommand()
{
    const char* value = std::getenv("BROWSER");
    if (!value)
        return {};
    std::string command(value);
    const std::size_t colon = command.find(':');
    if (colon != std::string::npos)
        command.resize(colon);
    return std::string(zem::Trim(command));
}

zem::gui::Font WithUnderline(const zem::gui::Font& font, bool underline)
{
    LOGFONTA logFont = font.GetLogFont();
    logFont.underline = underline;
    return zem::gui::Font(logFont);
}

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    m_timer.setInterval(kTimerPeriodMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(); });
}

CHyperLink::~CHyperLink()
{
    m_timer.stop();
}

bool CHyperLink::Create(std::string_view caption, QWidget* parent, int id)
{
    return Create(caption, zem::Rect(), parent, id);
}

bool CHyperLink::Create(std::string_view caption, const zem::Rect& rect, QWidget* parent, int id)
{
    if (!parent)
        return false;
    setText(zem::gui::ToQ(caption));
    Attach(parent, id, rect);
    show();
    return true;
}

void CHyperLink::Attach(QWidget* parent, int id, const zem::Rect& rect)
{
    setParent(parent);
    m_id = id;
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    if (auto* dialog = dynamic_cast<zem::gui::Dialog*>(parent))
        dialog->AddControl(id, this);

    // An address defaults to the text, and an empty text shows the address.
    if (m_url.empty())
        m_url = zem::gui::FromQ(text());
    if (text().isEmpty())
        setText(zem::gui::ToQ(m_url));

    const zem::gui::Font& base = CGdiResources::GetInstance()->DefaultFont;
    m_normalFont = WithUnderline(base, false);
    m_underlineFont = WithUnderline(base, true);
    PositionWindow();
    SetDefaultCursor();
    SetUnderline(UNDERLINE_HOVER);
}

void CHyperLink::SetURL(std::string_view address)
{
    m_url = address;
    if (parentWidget())
        PositionWindow();
}

void CHyperLink::SetLinkCursor(const std::optional<QCursor>& cursor)
{
    m_linkCursor = cursor;
    if (!m_linkCursor)
        SetDefaultCursor();
    if (m_linkCursor)
        setCursor(*m_linkCursor);
}

void CHyperLink::SetDefaultCursor()
{
    if (!m_linkCursor)
        m_linkCursor = QCursor(Qt::PointingHandCursor);
    setCursor(*m_linkCursor);
}

void CHyperLink::SetBkColor(zem::COLORREF color)
{
    m_bkColor = color;
}

void CHyperLink::SetVisited(bool visited)
{
    m_visited = visited ? 1 : 0;
    update();
}

void CHyperLink::SetUnderline(int mode)
{
    if (mode == m_underline)
        return;
    if (parentWidget()) {
        ApplyFont(mode == UNDERLINE_ALWAYS ? m_underlineFont : m_normalFont);
        update();
    }
    m_underline = mode;
}

void CHyperLink::SetFont(const zem::gui::Font& font)
{
    m_normalFont = font;
    ApplyFont(m_underline == UNDERLINE_ALWAYS ? m_underlineFont : m_normalFont);
}

void CHyperLink::SetHoverFont(const zem::gui::Font& font)
{
    m_underlineFont = WithUnderline(font, m_underline != UNDERLINE_NEVER);
    if (m_overControl && m_underline == UNDERLINE_HOVER)
        ApplyFont(m_underlineFont);
}

void CHyperLink::ApplyFont(const zem::gui::Font& font)
{
    setFont(font.GetQFont());
}

zem::COLORREF CHyperLink::TextColor() const
{
    if (m_overControl)
        return m_hoverColor;
    return m_visited ? m_visitedColor : m_linkColor;
}

void CHyperLink::PositionWindow()
{
    if (!parentWidget() || !m_adjustToFit)
        return;
    const QFontMetrics metrics(m_underlineFont.GetQFont());
    QString shown = text();
    shown.remove(u'&');
    const int width = metrics.horizontalAdvance(shown);
    const int height = metrics.height();
    QRect r = geometry();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter)
        r.setTop(r.top() + (r.height() - height) / 2);
    r.setHeight(height);
    if (align & Qt::AlignHCenter)
        r.setLeft(r.left() + (r.width() - width) / 2);
    else if (align & Qt::AlignRight)
        r.setLeft(r.left() + r.width() - width);
    r.setWidth(width);
    setGeometry(r);
}

void CHyperLink::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), zem::gui::ToQColor(m_bkColor));
    painter.setFont(font());
    // A link whose command is missing shows in grey.
    painter.setPen(isEnabled() ? zem::gui::ToQColor(TextColor()) : QColor(160, 160, 160));
    painter.drawText(rect(), static_cast<int>(alignment()) | Qt::TextShowMnemonic | Qt::TextSingleLine, text());
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_overControl) {
        m_overControl = 1;
        if (m_underline == UNDERLINE_HOVER)
            ApplyFont(m_underlineFont);
        update();
        m_timer.start();
    }
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::OnTimer()
{
    const zem::Point cursor = zem::gui::CursorPos();
    const QPoint local = mapFromGlobal(QPoint(cursor.x, cursor.y));
    if (rect().contains(local))
        return;
    m_overControl = 0;
    m_timer.stop();
    if (m_underline != UNDERLINE_ALWAYS)
        ApplyFont(m_normalFont);
    update();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Clicked();
}

void CHyperLink::Clicked()
{
    m_overControl = 0;
    if (m_url.empty()) {
        // The nearest window that takes the program's messages: the parent, or its own host.
        for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
            if (auto* target = dynamic_cast<zem::MessageTarget*>(w)) {
                target->Send(WM_QUICK_TOOL, static_cast<zem::WPARAM>(m_id), 0);
                break;
            }
        }
        update();
        return;
    }
    const int result = GotoURL(m_url);
    m_visited = result > 32 ? 1 : 0;
    if (m_visited) {
        SetVisited(true);
    } else {
        QApplication::beep();
        ReportError(result);
        update();
    }
}

int CHyperLink::GotoURL(const std::string& address)
{
    const int result = OpenWebPage(address);
    if (result > 32)
        return result;
    const std::string browser = BrowserCommand();
    if (browser.empty())
        return result;
    return QProcess::startDetached(zem::gui::ToQ(browser), {zem::gui::ToQ(address)}) ? 33 : 2;
}

std::string CHyperLink::ErrorText(int code)
{
    switch (code) {
    case 0: return "The operating system is out\nof memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied\naccess to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return "A sharing violation occurred. ";
    case 27: return "The filename association is\nincomplete or invalid.";
    case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30: return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return "There is no application associated\nwith the given filename extension.";
    case 32: return "The specified dynamic-link library was not found.";
    default: return zem::Format("Unknown Error (%d) occurred.", code);
    }
}

void CHyperLink::ReportError(int code)
{
    zem::ShowMessage("Unable to open hyperlink:\n\n" + ErrorText(code), "提示", zem::MessageIcon::Warning);
}
