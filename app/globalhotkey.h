// The hotkey that speaks the time. On X11 it is held on the X server: a passive grab
// of the combination on the root window, whatever Num Lock and Caps Lock are doing.
// On a Wayland session it is proposed to the desktop portal's global shortcuts, where
// the desktop offers them.
#pragma once
#include <QObject>

#include <memory>
#include <optional>

#include "app/formrules.h"

class QSocketNotifier;

namespace lumivox {

class PortalHotKey;

class GlobalHotKey : public QObject {
    Q_OBJECT

public:
    explicit GlobalHotKey(QObject* parent = nullptr);
    ~GlobalHotKey() override;

    // Holds the combination in place of the one held (nullopt: none). Taken: another
    // program holds it, and the one held before stays held.
    HotKeyGrab Grab(const std::optional<HotKey>& hotKey);

signals:
    void pressed();
    // Learnt later than Grab answered: the desktop offers no global shortcuts.
    void notOffered();

private:
    struct Connection;
    bool Connect();
    void ReadEvents();

    std::unique_ptr<Connection> x_;
    QSocketNotifier* notifier_ = nullptr;
    PortalHotKey* portal_ = nullptr;
};

} // namespace lumivox
