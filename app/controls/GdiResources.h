#pragma once
// The fonts, colours, bitmaps and cursors that many windows draw with, made once and shared, and
// the list of font faces installed on the machine.
#include "app/shared/FontSpec.h"
#include "platform/MessageTarget.h"
#include "platform/WindowMessages.h"
#include "platform/gui/Font.h"
#include "platform/Gdi.h"

#include <QCursor>
#include <QImage>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CTableWnd;
class QObject;
class QWidget;

class CGdiResources {
public:
    // Created on the first call; GUI thread only.
    static CGdiResources* GetInstance();
    // Deletes the instance; the next GetInstance makes a new one. Called when the main window closes.
    static void DestroyInstance();

    virtual ~CGdiResources();
    CGdiResources(const CGdiResources&) = delete;
    CGdiResources& operator=(const CGdiResources&) = delete;

    // Lists the installed faces once the event loop runs (once per instance), then posts
    // WM_FONTS_READY to the window. Nothing is started or posted when the scan has finished.
    void StartFontScan(zem::MessageTarget* notify);
    // Chooses the UI and KaiTi faces from the list; re-creates TitleFont when the KaiTi face changed.
    void RefreshFonts();
    const std::string& GetUiFontName() const { return m_uiFontName; }
    const std::string& GetKaiFontName() const { return m_kaiFontName; }
    // The installed faces, no two equal ignoring case, none starting with "@". Empty until the scan
    // has finished.
    const std::vector<std::string>& GetFaceList() const { return m_faceList; }
    bool IsScanDone() const { return m_scanDone; }

    // A bitmap of the shared set by its resource number (131..140, 142..146, 293); null otherwise.
    const QImage* GetBitmap(int id) const;

    QCursor m_arrowCursor;
    QCursor m_handCursor;
    zem::gui::Font DefaultFont;  // the grids' default face and size
    zem::gui::Font TitleFont;    // 14 points, the KaiTi face, bold
    zem::gui::Font NormalFont;   // 11 points "微软雅黑"
    zem::gui::Font BoldFont;     // 12 points "微软雅黑", bold
    zem::gui::Font HeaderFont;   // 12 points, the UI face, bold: texts on the dark header bands
    zem::COLORREF m_linePen = zem::RGB(213, 221, 236);
    zem::COLORREF m_dialogBrush = zem::RGB(240, 240, 240);  // dialogs, footer bands, static controls
    zem::COLORREF m_whiteBrush = zem::RGB(255, 255, 255);
    zem::COLORREF m_headerBrush = zem::RGB(59, 72, 91);     // dark header bands

private:
    CGdiResources();
    void ScanFonts();

    std::map<int, QImage> m_bitmaps;
    zem::MessageTarget* m_notify = nullptr;
    std::vector<std::string> m_faceList;
    std::string m_uiFontName = "微软雅黑";
    std::string m_kaiFontName = "楷体";
    bool m_scanDone = false;
    bool m_scanStarted = false;
    std::unique_ptr<QObject> m_scanContext;  // cancels a pending scan when the instance goes
};

// The installed faces as the scan lists them, read now; GUI thread only.
std::vector<std::string> ListInstalledFaces();
// The face list of enumerated face names: vertical-writing faces ("@...") left out, each name once
// ignoring case, in enumeration order.
std::vector<std::string> BuildFaceList(const std::vector<std::string>& enumerated);
// The first candidate (separated by ",") that the face list holds, ignoring case; else the last
// listed face whose name contains the hint; else the first candidate, or "微软雅黑" without any.
std::string PickInstalledFontFace(const std::vector<std::string>& faceList, const std::string& candidates,
                                  const std::string& hint);
// The font record of a setting: the size in points at 96 pixels to the inch, bold and italic.
void MakeLogFont(const CFontSpec* fontSpec, LOGFONTA* logFont);
// Gives the grid its three fonts from the setting (the third: the main font at most maxPoints, with
// the given boldness, not italic) and refreshes it.
void ApplyTableFonts(const CTableFontPair* setting, CTableWnd* grid, int maxPoints, bool boldThird);
// Gives the window and every widget inside it the font.
void SetFontOnChildren(QWidget* window, const zem::gui::Font& font);
