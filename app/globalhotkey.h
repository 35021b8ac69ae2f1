// The hotkey that speaks the time, held on the X server: a passive grab of the
// combination on the root window, whatever Num Lock and Caps Lock are doing. Not
// offered on a Wayland session, where only the desktop's own settings reach every
// window.
#pragma once
#include <QObject>

#include <memory>
#include <optional>

#include "app/formrules.h"

class QSocketNotifier;

namespace lumivox {

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

private:
    struct Connection;
    bool Connect();
    void ReadEvents();

    std::unique_ptr<Connection> x_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace lumivox
