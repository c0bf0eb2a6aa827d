#include "platform/gui/Desktop.h"

#include "platform/Hooks.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QSoundEffect>
#include <QUrl>

#include <cstdio>
#include <map>
#include <mutex>

namespace zem::gui {

namespace {

struct Hooks {
    std::mutex mutex;
    WorkAreaHook workArea;
    CursorPosHook cursorPos;
    SoundHook sound;
    AnimationClockHook animationClock;
    PrintDialogHook printDialog;
    OpenHook open;
};

Hooks& TheHooks()
{
    static Hooks hooks;
    return hooks;
}

template <class H>
H Swap(H& slot, H hook)
{
    std::lock_guard lock(TheHooks().mutex);
    std::swap(slot, hook);
    return hook;
}

template <class H>
H Get(const H& slot)
{
    std::lock_guard lock(TheHooks().mutex);
    return slot;
}

void PlayWithQt(const std::string& path)
{
    const QString file = QString::fromStdString(path);
    if (!QCoreApplication::instance() || !QFileInfo(file).isFile())
        return;
    // One effect per file, kept for the life of the application, so that repeated moves do not
    // reload the file.
    static std::map<QString, QPointer<QSoundEffect>> effects;
    QPointer<QSoundEffect>& effect = effects[file];
    if (!effect) {
        effect = new QSoundEffect(QCoreApplication::instance());
        effect->setSource(QUrl::fromLocalFile(file));
    }
    effect->play();
}

bool Headless()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

bool IsWebAddress(const std::string& target)
{
    const std::string::size_type colon = target.find("://");
    return colon != std::string::npos && colon > 1;
}

int OpenWithXdg(const std::string& target)
{
    if (!IsWebAddress(target) && !QFileInfo::exists(QString::fromStdString(target)))
        return kOpenFileNotFound;
    if (Headless()) {
        std::fprintf(stderr, "zem: no desktop to open %s\n", target.c_str());
        return kOpenNoAssociation;
    }
    return QProcess::startDetached("xdg-open", {QString::fromStdString(target)}) ? kOpenDone
                                                                                 : kOpenNoAssociation;
}

}  // namespace

Rect WorkArea()
{
    if (const auto hook = Get(TheHooks().workArea))
        return hook();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect r = screen->availableGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

Point CursorPos()
{
    if (const auto hook = Get(TheHooks().cursorPos))
        return hook();
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

WorkAreaHook SetWorkAreaHook(WorkAreaHook hook)
{
    return Swap(TheHooks().workArea, std::move(hook));
}

CursorPosHook SetCursorPosHook(CursorPosHook hook)
{
    return Swap(TheHooks().cursorPos, std::move(hook));
}

std::string ProgramFolder()
{
    if (!QCoreApplication::instance())
        return "./";
    return QCoreApplication::applicationDirPath().toStdString() + "/";
}

void PlaySoundAsync(const std::string& path)
{
    if (const auto hook = Get(TheHooks().sound)) {
        hook(path);
        return;
    }
    PlayWithQt(path);
}

SoundHook SetSoundHook(SoundHook hook)
{
    return Swap(TheHooks().sound, std::move(hook));
}

std::int64_t AnimationClock()
{
    if (const auto hook = Get(TheHooks().animationClock))
        return hook();
    return static_cast<std::int64_t>(zem::TickCount());
}

AnimationClockHook SetAnimationClockHook(AnimationClockHook hook)
{
    return Swap(TheHooks().animationClock, std::move(hook));
}

bool RunPrintDialog(QPrinter& printer)
{
    if (const auto hook = Get(TheHooks().printDialog))
        return hook(printer);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    // Printing to a PDF file stays on offer: here it is how a user without a printer gets a copy.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

PrintDialogHook SetPrintDialogHook(PrintDialogHook hook)
{
    return Swap(TheHooks().printDialog, std::move(hook));
}

int OpenWithDesktop(const std::string& target)
{
    if (const auto hook = Get(TheHooks().open))
        return hook(target);
    return OpenWithXdg(target);
}

OpenHook SetOpenHook(OpenHook hook)
{
    return Swap(TheHooks().open, std::move(hook));
}

}  // namespace zem::gui
