#pragma once
// The canvas of the print preview: the current page painted at screen scale on a grey canvas,
// scrolled both ways; it holds the two floating settings dialogs and prints the job.
#include "app/output/PrintSheet.h"

#include <QAbstractScrollArea>
#include <QImage>

class CBannerSettingsDlg;
class CPrintSettingsDlg;

namespace zem {
class MessageTarget;
}

class CPreviewPageWnd : public QAbstractScrollArea {
public:
    // The settings dialogs tell `notify` (the preview) of their changes.
    CPreviewPageWnd(QWidget* parent, zem::MessageTarget* notify, CPrintSheet* sheet, const CPrintPageInfo& info);
    ~CPreviewPageWnd() override;

    void SetPages(int pageCount, int currentPage);
    const CPrintPageInfo& GetInfo() const { return m_info; }
    CPrintPageInfo& GetInfo() { return m_info; }
    // The page geometry for the screen again, the scroll range and a repaint.
    void RecalcLayout();
    // Shows 0 the page settings, 1 the banner rows.
    void ShowChild(int which);
    // The print dialog on the layout's paper, then every page on the chosen printer.
    void Print();
    void Export();

    CPrintSettingsDlg* GetSettingsDlg() const { return m_settings; }
    CBannerSettingsDlg* GetBannerDlg() const { return m_banner; }
    // The current page as the canvas shows it.
    const QImage& PageImage();
    const zem::Rect& GetPageRect() const { return m_pageRect; }
    // Where the page stands on the canvas, in canvas pixels.
    QPoint PageOrigin() const;

    // Builds the dialogs and places them; called once the preview has its size.
    void CreateChildren();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollRanges();
    QSize CanvasSize() const;

    zem::MessageTarget* m_notify;
    CPrintSheet* m_sheet;
    CPrintPageInfo m_info;
    zem::Rect m_pageRect;
    int m_topMargin = 0;
    QImage m_page;  // null until drawn for the current page and settings
    CPrintSettingsDlg* m_settings = nullptr;
    CBannerSettingsDlg* m_banner = nullptr;
};
