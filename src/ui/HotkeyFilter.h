// The system-wide hotkeys of the shortcut table on X11: the records with the system-hotkey
// flag are grabbed on the root window of the program's own X connection, and a key press of
// one runs its command wherever the focus is. Elsewhere (Wayland, offscreen) nothing can
// grab keys: the records keep working as window shortcuts. GUI thread.
#pragma once

#include "player/Shortcuts.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>
#include <memory>

namespace kestrova {

class CX11Hotkeys;

class CHotkeyFilter : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // `fired` receives the name id of the record whose hotkey was pressed.
    explicit CHotkeyFilter(std::function<void(std::uint16_t)> fired, QObject* parent = nullptr);
    ~CHotkeyFilter() override;
    bool Available() const { return bool(m_hotkeys); }
    // Releases every hotkey, then grabs those of `table` with the flag; gives the texts to
    // tell the learner (a combination held elsewhere, a failure).
    QStringList Register(const AccelItems& table);

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    std::function<void(std::uint16_t)> m_fired;
    std::unique_ptr<CX11Hotkeys> m_hotkeys;
};

} // namespace kestrova
