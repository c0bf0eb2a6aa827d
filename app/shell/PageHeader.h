#pragma once
// The row of numbered page tabs at the top of the page panel, and the plain band under it.
// Selecting a page tells the owner to fill the tool box with that page's entries.
#include "platform/Gdi.h"
#include "platform/MessageTarget.h"

#include <QWidget>

#include <string>
#include <vector>

struct CPageTab {
    std::string name;
    std::string description;  // kept with the page, not drawn
    zem::Rect rect;
    int index = 0;
};

class CPageHeader : public QWidget {
public:
    static constexpr int kLeftMargin = 20;
    static constexpr int kPageHeight = 28;

    CPageHeader();

    // A visible child of the parent; the owner receives WM_FILL_TOOLBOX.
    bool Create(QWidget* parent, zem::MessageTarget* owner);
    void AddPage(const std::string& name, const std::string& description);
    // Selects the page as a click would; an index outside the pages is ignored.
    void SelectPage(int index);

    int GetPageCount() const { return m_nPageCount; }
    int GetSelectedIndex() const { return m_nSelected; }
    const std::vector<CPageTab>& GetPages() const { return m_pages; }
    // 10 pixels per byte of the name's GBK form, plus 18.
    static int TabWidth(const std::string& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int PageAt(zem::Point point) const;

    std::vector<CPageTab> m_pages;
    int m_nNextX = kLeftMargin;
    int m_nPageCount = 0;
    int m_nSelected = -1;
    zem::MessageTarget* m_pOwner = nullptr;
};

class CSheetTabStrip : public QWidget {
public:
    static constexpr int kHeight = 29;

    bool Create(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
