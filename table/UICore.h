#pragma once
// The process-wide default faces and size of the grids and dialogs.
#include "platform/gui/Font.h"

#include <string>

class QWidget;

class CUICore {
public:
    // The singleton, created on the first call.
    static CUICore* instance();
    // Deletes the singleton; the next instance() creates a new one. Call before the application ends.
    static void Free();

    virtual ~CUICore();

    std::string GetDefaultFontName() const { return m_defaultFontName; }
    std::string GetDefaultTableFontName() const { return m_defaultTableFontName; }
    int GetDefaultFontSize() const { return m_defaultFontSize; }  // tenths of a point
    const zem::gui::Font& GetDefaultFont() const { return m_defaultFont; }

    // Gives every descendant widget of `parent` the default font.
    void SetAllChildWindowFont(QWidget* parent) const;

private:
    CUICore();

    std::string m_defaultFontName;
    std::string m_defaultTableFontName;
    int m_defaultFontSize = 90;
    zem::gui::Font m_defaultFont;
};
