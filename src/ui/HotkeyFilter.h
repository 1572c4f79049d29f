// The system-wide hotkeys of the shortcut table: on X11 the records with the system-hotkey
// flag are grabbed on the root window of the program's own X connection; on Wayland they are
// asked of the desktop portal, where it offers global shortcuts. A press of one runs its
// command wherever the focus is. Elsewhere (offscreen, a portal without them) nothing can
// grab keys: the records keep working as window shortcuts. GUI thread.
#pragma once

#include "player/Shortcuts.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>
#include <memory>

namespace kestrova {

class CX11Hotkeys;
class CPortalShortcuts;

class CHotkeyFilter : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // `fired` receives the name id of the record whose hotkey was pressed.
    explicit CHotkeyFilter(std::function<void(std::uint16_t)> fired, QObject* parent = nullptr);
    ~CHotkeyFilter() override;
    bool Available() const { return m_hotkeys || m_portal; }
    // Releases every hotkey, then grabs those of `table` with the flag; gives the texts to
    // tell the learner (a combination held elsewhere, a failure). Through the portal the
    // answer comes later, as `windowOnly`.
    QStringList Register(const AccelItems& table);

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

Q_SIGNALS:
    // The key texts of hotkeys the portal did not bind (refused by the learner, or failed):
    // they work as window shortcuts only.
    void windowOnly(const QStringList& keyTexts);

private:
    void PortalBound(const QStringList& ids);

    std::function<void(std::uint16_t)> m_fired;
    std::unique_ptr<CX11Hotkeys> m_hotkeys;
    CPortalShortcuts* m_portal = nullptr;
    AccelItems m_asked; // the records last asked of the portal
};

} // namespace kestrova
