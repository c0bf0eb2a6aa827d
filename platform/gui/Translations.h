#pragma once
// The toolkit's own Chinese texts, so that its standard dialogs (open, save, folder, print) and
// standard buttons speak the program's language whatever the user's locale.
#include <QLocale>

#include <memory>
#include <string>

class QTranslator;

namespace zem::gui {

// Installs the translations, and Chinese as the default locale (file type names), for the life of
// the object (the application must exist).
class ToolkitTranslations {
public:
    ToolkitTranslations();
    ~ToolkitTranslations();
    ToolkitTranslations(const ToolkitTranslations&) = delete;
    ToolkitTranslations& operator=(const ToolkitTranslations&) = delete;

    bool IsLoaded() const { return m_catalogue != nullptr; }
    // Where they were looked for, to say when they were not found.
    static std::string Folder();

private:
    std::unique_ptr<QTranslator> m_catalogue;
    std::unique_ptr<QTranslator> m_missing;
    QLocale m_previousLocale;
};

}  // namespace zem::gui
