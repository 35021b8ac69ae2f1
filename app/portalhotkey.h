// The hotkey on a Wayland desktop: the desktop portal's global shortcuts, where the
// desktop offers them. The desktop, not the program, decides which keys end up
// bound: the combination chosen is only proposed.
#pragma once
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

#include "app/hotkey.h"

class QDBusMessage;

namespace lumivox {

class PortalHotKey : public QObject {
    Q_OBJECT

public:
    enum class Offer { Unknown, Offered, NotOffered };

    explicit PortalHotKey(QObject* parent = nullptr);

    // Asks the desktop whether it offers global shortcuts (once), then binds the
    // combination in a new session in place of the one bound (nullopt: none).
    void Bind(const std::optional<HotKey>& hotKey);
    Offer Offered() const { return offer_; }

signals:
    void pressed();
    // The desktop offers no global shortcuts.
    void notOffered();

private slots:
    void Activated(const QDBusMessage& message);

private:
    void Probe();
    void CreateSession();
    void BindShortcut(const QString& session);
    // Calls method on the portal with a request of its own; done gets the request's
    // results once it answers with success.
    void Request(const QString& method, QList<QVariant> arguments, QVariantMap options,
                 std::function<void(const QVariantMap&)> done);

    Offer offer_ = Offer::Unknown;
    std::optional<HotKey> wanted_;
    QString session_;
    int requests_ = 0;
};

} // namespace lumivox
