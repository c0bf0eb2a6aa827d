#include "platform/gui/Translations.h"
#include "platform/gui/QtText.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zem::gui {

namespace {

// The words of the file choosers' type column, which the toolkit's catalogue still files under an
// older name and so leaves in English.
class MissingWords : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        if (qstrcmp(sourceText, "Folder") == 0)
            return QStringLiteral("文件夹");
        if (qstrcmp(sourceText, "Drive") == 0)
            return QStringLiteral("驱动器");
        if (qstrcmp(sourceText, "File") == 0)
            return QStringLiteral("文件");
        return {};
    }
};

}  // namespace

std::string ToolkitTranslations::Folder()
{
    return FromQ(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

ToolkitTranslations::ToolkitTranslations()
{
    if (!QCoreApplication::instance())
        return;
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    // "qt" gathers the catalogues of every toolkit module (the base widgets, printing, sound).
    auto catalogue = std::make_unique<QTranslator>();
    if (!catalogue->load(chinese, QStringLiteral("qt"), QStringLiteral("_"), ToQ(Folder())) ||
        !QCoreApplication::installTranslator(catalogue.get()))
        return;
    m_catalogue = std::move(catalogue);
    m_missing = std::make_unique<MissingWords>();
    QCoreApplication::installTranslator(m_missing.get());
    QLocale::setDefault(chinese);
}

ToolkitTranslations::~ToolkitTranslations()
{
    if (!m_catalogue || !QCoreApplication::instance())
        return;
    QCoreApplication::removeTranslator(m_missing.get());
    QCoreApplication::removeTranslator(m_catalogue.get());
    QLocale::setDefault(m_previousLocale);
}

}  // namespace zem::gui
