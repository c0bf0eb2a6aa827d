#include "table/UICore.h"

#include <QWidget>

namespace {
CUICore*& TheInstance()
{
    static CUICore* instance = nullptr;
    return instance;
}
}  // namespace

CUICore* CUICore::instance()
{
    CUICore*& p = TheInstance();
    if (!p)
        p = new CUICore;
    return p;
}

void CUICore::Free()
{
    CUICore*& p = TheInstance();
    delete p;
    p = nullptr;
}

// The faces follow the modern system's choice; the font mapping turns them into installed fonts.
CUICore::CUICore()
    : m_defaultFontName("微软雅黑"),
      m_defaultTableFontName("微软雅黑"),
      m_defaultFont(zem::gui::Font::FromPoints(90, "微软雅黑"))
{
}

CUICore::~CUICore() = default;

void CUICore::SetAllChildWindowFont(QWidget* parent) const
{
    if (!parent)
        return;
    for (QWidget* child : parent->findChildren<QWidget*>())
        child->setFont(m_defaultFont.GetQFont());
}
