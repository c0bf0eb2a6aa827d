#include "platform/gui/FileDialogs.h"
#include "platform/gui/QtText.h"

#include <QFileDialog>
#include <QStringList>

namespace zem::gui {

namespace {

FileDialogHook& TheHook()
{
    static FileDialogHook hook;
    return hook;
}

}  // namespace

std::string ToToolkitFilter(const std::string& filter)
{
    const QStringList parts = ToQ(filter).split(QLatin1Char('|'), Qt::KeepEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        if (name.isEmpty())
            break;  // the "||" that ends the list
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        entries << QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
    }
    return FromQ(entries.join(QStringLiteral(";;")));
}

std::string ChooseFile(QWidget* parent, const FileDialogRequest& request)
{
    if (const FileDialogHook& hook = TheHook())
        return hook(request);

    const QString title = ToQ(request.title);
    QString start = ToQ(request.folder);
    switch (request.kind) {
    case FileDialogRequest::Kind::Folder: {
        QString folder = QFileDialog::getExistingDirectory(parent, title, start);
        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        return FromQ(folder);
    }
    case FileDialogRequest::Kind::OpenFile:
        return FromQ(QFileDialog::getOpenFileName(parent, title, start, ToQ(ToToolkitFilter(request.filter))));
    case FileDialogRequest::Kind::SaveFile: {
        if (!request.fileName.empty())
            start = start.isEmpty() ? ToQ(request.fileName) : start + QLatin1Char('/') + ToQ(request.fileName);
        QFileDialog dialog(parent, title, start, ToQ(ToToolkitFilter(request.filter)));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(ToQ(request.defaultSuffix));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return FromQ(dialog.selectedFiles().first());
    }
    }
    return {};
}

FileDialogHook SetFileDialogHook(FileDialogHook hook)
{
    FileDialogHook previous = std::move(TheHook());
    TheHook() = std::move(hook);
    return previous;
}

}  // namespace zem::gui
