// Whether an XEmbed notification area is on the X display, told as it changes: the
// owner of the _NET_SYSTEM_TRAY_S<screen> selection announces itself with a MANAGER
// message on the root window, and its window is destroyed when it goes.
#pragma once
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace lumivox {

class XEmbedTrayWatch : public QObject {
    Q_OBJECT

public:
    // Watches the display of the xcb platform; on any other platform there is none.
    explicit XEmbedTrayWatch(QObject* parent = nullptr);
    ~XEmbedTrayWatch() override;

    bool Present() const { return owner_ != 0; }

signals:
    void Changed(bool present);

private:
    void Drain();
    void Refresh();

    struct Connection;
    std::unique_ptr<Connection> x_;
    QSocketNotifier* notifier_ = nullptr;
    unsigned owner_ = 0;
};

} // namespace lumivox
