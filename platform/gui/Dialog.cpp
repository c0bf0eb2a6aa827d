#include "platform/gui/Dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QWindow>
#include <QThread>

#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/ModalState.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace zem::gui {

namespace {

ModalHook& TheModalHook()
{
    static ModalHook hook;
    return hook;
}

// The dialogs whose DoModal runs, innermost last.
std::vector<Dialog*>& ModalRuns()
{
    static std::vector<Dialog*> runs;
    return runs;
}

// Keeps the dialog on the list of modal runs while its run lasts.
class ModalRun {
public:
    explicit ModalRun(Dialog* dialog) : m_dialog(dialog) { ModalRuns().push_back(dialog); }
    ~ModalRun() { ModalRuns().erase(std::find(ModalRuns().begin(), ModalRuns().end(), m_dialog)); }
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

private:
    Dialog* m_dialog;
};

bool HoldsOrIs(const QWidget* outer, const QWidget* window)
{
    return outer == window || outer->isAncestorOf(window);
}

// The window system's frame around a top-level window. Before a window is first framed its own
// margins are not known yet: those of another framed window of the program stand in for them.
QMargins FrameMargins(const QWidget& window)
{
    if (const QWindow* handle = window.windowHandle(); handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible())
            continue;
        if (const QWindow* handle = other->windowHandle(); handle && !handle->frameMargins().isNull())
            return handle->frameMargins();
    }
    return {};
}

QRect WorkAreaRect()
{
    const Rect area = WorkArea();
    return QRect(area.left, area.top, area.Width(), area.Height());
}

}  // namespace

DialogUnits DialogUnits::ForFont(const Font& font)
{
    // As the window system derives them: the average width of the Latin letters and the line height.
    QFontMetrics metrics(font.GetQFont());
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = std::max(1, (letters + 26) / 52);
    units.baseY = std::max(1, metrics.height());
    return units;
}

Dialog::Dialog(QWidget* parent, std::string_view caption, Size sizeUnits, std::string_view fontFace, int pointSize)
    : QDialog(parent), m_font(Font::FromPoints(pointSize * 10, fontFace)), m_units(DialogUnits::ForFont(m_font))
{
    setFont(m_font.GetQFont());
    setWindowTitle(ToQ(caption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(std::max(1, m_units.X(sizeUnits.cx)), std::max(1, m_units.Y(sizeUnits.cy)));
    qApp->installEventFilter(this);
}

Dialog::~Dialog()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool Dialog::Build()
{
    if (m_built)
        return true;
    m_built = true;
    return OnInitDialog();
}

bool Dialog::Create() { return Build(); }

int Dialog::DoModal()
{
    m_ended = false;
    m_code = IDCANCEL;
    if (!Build())
        return IDCANCEL;
    if (m_ended)  // ended while it was being built
        return m_code;

    ModalRun run(this);
    if (ModalHook hook = TheModalHook()) {
        show();
        hook(*this);
        hide();
        return m_ended ? m_code : IDCANCEL;
    }

    setModal(true);
    m_inModalLoop = true;
    exec();
    m_inModalLoop = false;
    return m_ended ? m_code : IDCANCEL;
}

void Dialog::EndDialog(int code)
{
    m_code = code;
    m_ended = true;
    // done() leaves the modal loop and hides the window; QDialog keeps its own result code.
    QDialog::done(code);
}

void Dialog::AddControl(int id, QWidget* control)
{
    if (!control)
        return;
    m_controls[id] = control;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        QObject::connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
}

QWidget* Dialog::GetDlgItem(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

int Dialog::GetDlgCtrlID(const QWidget* control) const
{
    for (const auto& [id, widget] : m_controls) {
        if (widget == control)
            return id;
    }
    return 0;
}

void Dialog::SetDlgItemText(int id, std::string_view text)
{
    QWidget* control = GetDlgItem(id);
    if (!control)
        return;
    const QString value = ToQ(text);
    // Buttons, labels and edits hold their text as a property; a button's setter is no slot.
    if (control->property("text").isValid())
        control->setProperty("text", value);
    else if (!QMetaObject::invokeMethod(control, "setText", Q_ARG(QString, value)))
        control->setWindowTitle(value);
}

std::string Dialog::GetDlgItemText(int id) const
{
    QWidget* control = GetDlgItem(id);
    if (!control)
        return {};
    const QVariant text = control->property("text");
    if (text.isValid())
        return FromQ(text.toString());
    const QVariant plain = control->property("plainText");
    if (plain.isValid())
        return FromQ(plain.toString());
    return FromQ(control->windowTitle());
}

bool Dialog::GetDlgItemInt(int id, int low, int high, int* value)
{
    const std::string text(Trim(GetDlgItemText(id)));
    const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    int number = 0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    std::string message;
    if (begin == end || error != std::errc() || stop != end)
        message = "请输入一个整数";
    else if (number < low || number > high)
        message = Format("请输入一个介于 %d 和 %d 之间的整数", low, high);
    if (message.empty()) {
        if (value)
            *value = number;
        return true;
    }
    ShowMessage(message, "提示", MessageIcon::Warning);
    if (QWidget* control = GetDlgItem(id)) {
        control->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
    }
    return false;
}

void Dialog::EnableItem(int id, bool enable)
{
    if (QWidget* control = GetDlgItem(id))
        control->setEnabled(enable);
}

bool Dialog::IsItemEnabled(int id) const
{
    QWidget* control = GetDlgItem(id);
    return control && control->isEnabled();
}

void Dialog::ShowItem(int id, bool show)
{
    if (QWidget* control = GetDlgItem(id))
        control->setVisible(show);
}

void Dialog::SetCaption(std::string_view caption)
{
    setWindowTitle(ToQ(caption));
}

std::string Dialog::Caption() const
{
    return FromQ(windowTitle());
}

Rect Dialog::UnitsRect(int x, int y, int width, int height) const
{
    const int left = m_units.X(x);
    const int top = m_units.Y(y);
    return {left, top, left + m_units.X(width), top + m_units.Y(height)};
}

void Dialog::OnCommand(int id)
{
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void Dialog::reject()
{
    // Escape and the window system's cancel: the dialog's own cancel, never the close prompt.
    OnCancel();
}

void Dialog::accept()
{
    OnOK();
}

void Dialog::closeEvent(QCloseEvent* event)
{
    if (!m_ended)
        OnClose();
    if (m_ended)
        event->accept();
    else
        event->ignore();
}

bool Dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if ((widget == this || isAncestorOf(widget)) && PreTranslateKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Dialog::FillWorkArea()
{
    const QRect area = WorkAreaRect();
    if (area.isEmpty())
        return;
    setGeometry(area.marginsRemoved(FrameMargins(*this)));
}

void Dialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!isWindow() || event->spontaneous())
        return;
    KeepInWorkArea();
    // The window system tells the frame only once the window is on the screen: look again then.
    QMetaObject::invokeMethod(this, [this] { KeepInWorkArea(); }, Qt::QueuedConnection);
}

void Dialog::KeepInWorkArea()
{
    const QRect area = WorkAreaRect();
    if (!isVisible() || area.isEmpty() || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QMargins margins = FrameMargins(*this);
    QRect frame = geometry().marginsAdded(margins);
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() + 1 - frame.width()));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
    const QRect client = frame.marginsRemoved(margins);
    if (client != geometry())
        setGeometry(client);
}

ModalHook SetModalHook(ModalHook hook)
{
    ModalHook previous = std::move(TheModalHook());
    TheModalHook() = std::move(hook);
    return previous;
}

bool OtherModalOpen(const QWidget* window)
{
    if (!ModalRuns().empty() && !HoldsOrIs(ModalRuns().back(), window))
        return true;
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && !HoldsOrIs(modal, window);
}

bool HasModalHook()
{
    return static_cast<bool>(TheModalHook());
}

namespace {

struct MessageButton {
    const char* text;
    QMessageBox::ButtonRole role;
    int answer;
};

std::vector<MessageButton> ButtonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return {{"确定", QMessageBox::AcceptRole, IDOK}};
    case MessageButtons::OkCancel:
        return {{"确定", QMessageBox::AcceptRole, IDOK}, {"取消", QMessageBox::RejectRole, IDCANCEL}};
    case MessageButtons::YesNo: return {{"是(&Y)", QMessageBox::YesRole, IDYES}, {"否(&N)", QMessageBox::NoRole, IDNO}};
    case MessageButtons::YesNoCancel:
        return {{"是(&Y)", QMessageBox::YesRole, IDYES},
                {"否(&N)", QMessageBox::NoRole, IDNO},
                {"取消", QMessageBox::RejectRole, IDCANCEL}};
    }
    return {};
}

// Closed with Escape or the close box: the cancel answer where there is one.
int ClosedAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return IDOK;
    case MessageButtons::YesNo: return IDNO;
    default: return IDCANCEL;
    }
}

QMessageBox::Icon IconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// A message of more lines than this (every rule a change broke, each on a line) would grow the box
// past the screen and its buttons out of reach: its first and last lines stay in the box, the lines
// between go into a list that scrolls.
constexpr int kMostLinesInBox = 24;
constexpr int kListLinesShown = 16;

int RunLongMessageBox(const MessageRequest& request, const QStringList& lines)
{
    QDialog box(QApplication::activeWindow());
    box.setWindowTitle(ToQ(request.caption));
    auto* layout = new QVBoxLayout(&box);
    auto* head = new QHBoxLayout;
    if (const QMessageBox::Icon icon = IconOf(request.icon); icon != QMessageBox::NoIcon) {
        const QStyle::StandardPixmap pixmap = icon == QMessageBox::Information ? QStyle::SP_MessageBoxInformation
                                              : icon == QMessageBox::Warning   ? QStyle::SP_MessageBoxWarning
                                              : icon == QMessageBox::Critical  ? QStyle::SP_MessageBoxCritical
                                                                               : QStyle::SP_MessageBoxQuestion;
        const int size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        auto* picture = new QLabel(&box);
        picture->setPixmap(box.style()->standardIcon(pixmap, nullptr, &box).pixmap(size, size));
        head->addWidget(picture, 0, Qt::AlignTop);
    }
    auto* first = new QLabel(lines.front(), &box);
    first->setWordWrap(true);
    first->setTextInteractionFlags(Qt::TextSelectableByMouse);
    head->addWidget(first, 1);
    layout->addLayout(head);
    auto* list = new QPlainTextEdit(lines.mid(1, lines.size() - 2).join('\n'), &box);
    list->setObjectName("zem_message_list");
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(list->font());
    const QRect area = WorkAreaRect();
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int width = std::min(widest + 60, area.isEmpty() ? 900 : area.width() * 3 / 4);
    const int height = std::min(kListLinesShown * metrics.lineSpacing() + 12, area.isEmpty() ? 400 : area.height() / 2);
    list->setMinimumSize(std::max(width, 360), height);
    layout->addWidget(list, 1);
    if (!lines.back().isEmpty()) {
        auto* last = new QLabel(lines.back(), &box);
        last->setWordWrap(true);
        layout->addWidget(last);
    }
    auto* row = new QDialogButtonBox(&box);
    int answer = ClosedAnswer(request.buttons);
    for (const MessageButton& button : ButtonsOf(request.buttons)) {
        QPushButton* pushed = row->addButton(QString::fromUtf8(button.text), QDialogButtonBox::ButtonRole(button.role));
        pushed->setDefault(button.answer == request.defaultAnswer);
        QObject::connect(pushed, &QPushButton::clicked, &box, [&box, &answer, chosen = button.answer] {
            answer = chosen;
            box.accept();
        });
    }
    layout->addWidget(row);
    box.exec();
    return answer;
}

int RunMessageBox(const MessageRequest& request)
{
    const QString text = ToQ(request.text);
    const QStringList lines = text.split('\n');
    if (lines.size() > kMostLinesInBox)
        return RunLongMessageBox(request, lines);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQ(request.caption));
    box.setText(text);
    box.setIcon(IconOf(request.icon));
    std::map<QAbstractButton*, int> answers;
    for (const MessageButton& button : ButtonsOf(request.buttons)) {
        QPushButton* added = box.addButton(QString::fromUtf8(button.text), button.role);
        answers[added] = button.answer;
        if (button.answer == request.defaultAnswer)
            box.setDefaultButton(added);
    }
    box.exec();
    auto it = answers.find(box.clickedButton());
    return it != answers.end() ? it->second : ClosedAnswer(request.buttons);
}

// Lives on the GUI thread; other threads reach it with a send, which a GUI thread that waits for
// them serves (WaitWhile), so a worker's message never deadlocks with its window.
class MessageBoxHost : public MessageReceiver {
protected:
    LRESULT WindowProc(unsigned message, WPARAM, LPARAM lParam) override
    {
        if (message != WM_SHOW_MESSAGE_BOX)
            return 0;
        return RunMessageBox(*FromLParam<const MessageRequest>(lParam));
    }
};

}  // namespace

void InstallMessageBoxes()
{
    // Kept to the end of the process: messages may come until the last moment.
    static MessageBoxHost* host = new MessageBoxHost;
    SetMessageHook([](const MessageRequest& request) {
        return static_cast<int>(host->Send(WM_SHOW_MESSAGE_BOX, 0, ToLParam(&request)));
    });
}

}  // namespace zem::gui
