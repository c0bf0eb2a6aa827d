#pragma once
// What every grid window shares: the host it notifies, the colour mode and the move sound.
#include "platform/gui/Font.h"
#include "table/TableDefs.h"

#include <QWidget>

class CTableWnd : public QWidget {
public:
    CTableWnd();
    ~CTableWnd() override;

    // Stores the flag, then repaints.
    virtual void SetColorMode(bool on);
    // Each non-null record replaces that font.
    virtual void SetFont(const LOGFONTA* primary, const LOGFONTA* secondary, const LOGFONTA* title) = 0;
    // Repaints the whole window.
    virtual void Refresh() = 0;

    void SetPlaySoundInMoving(bool on) { m_playSoundInMoving = on; }
    bool IsPlaySoundInMoving() const { return m_playSoundInMoving; }
    bool IsColorMode() const { return m_colorMode; }

    zem::MessageTarget* GetNotifyTarget() const { return m_notify; }

protected:
    // Makes the grid a visible child of `parent` (none: a hidden off-screen grid) that notifies `notify`.
    void AttachToHost(QWidget* parent, zem::MessageTarget* notify, const char* windowName);
    // Sends a notification to the host; 0 while there is none.
    zem::LRESULT Notify(unsigned message, zem::WPARAM wParam = 0, zem::LPARAM lParam = 0);
    // The sound of a successful move, when it is switched on.
    void PlayMoveSound() const;

    bool m_playSoundInMoving = true;
    bool m_colorMode = false;
    zem::MessageTarget* m_notify = nullptr;
};
