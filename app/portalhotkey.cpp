#include "app/portalhotkey.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <memory>

namespace lumivox {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kShortcutId = QStringLiteral("say-time");

// One shortcut as the portal takes it: (id, {description, preferred_trigger}).
struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

// How the portal spells a trigger: "CTRL+ALT+t", keys by their keysym names.
QString Trigger(const HotKey& hotKey) {
    QString trigger;
    const std::pair<unsigned, const char*> modifiers[] = {
        {kCtrl, "CTRL"}, {kAlt, "ALT"}, {kShift, "SHIFT"}, {kMeta, "LOGO"}};
    for (const auto& [bit, name] : modifiers)
        if (hotKey.modifiers & bit)
            trigger += QLatin1String(name) + QLatin1Char('+');
    QString key = QString::fromLatin1(hotKey.key->name);
    if (key.size() == 1 || key == QLatin1String("Space"))
        key = key.toLower();
    else if (key.startsWith(QLatin1String("Page")))
        key.insert(4, QLatin1Char('_'));
    return trigger + key;
}

// Where the portal will answer a request made with token: the sender's unique name
// without its colon, dots as underscores.
QString RequestPath(const QString& token) {
    QString sender = QDBusConnection::sessionBus().baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

// One request's answer: the Response signal on the request's own object.
class PortalRequest : public QObject {
    Q_OBJECT

public:
    PortalRequest(std::function<void(const QVariantMap&)> done, QObject* parent)
        : QObject(parent), done_(std::move(done)) {}

public slots:
    void Response(uint code, const QVariantMap& results) {
        if (code == 0)
            done_(results);
        deleteLater();
    }

private:
    std::function<void(const QVariantMap&)> done_;
};

} // namespace

} // namespace lumivox

Q_DECLARE_METATYPE(lumivox::Shortcut)

namespace lumivox {

PortalHotKey::PortalHotKey(QObject* parent) : QObject(parent) {
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
}

void PortalHotKey::Bind(const std::optional<HotKey>& hotKey) {
    wanted_ = hotKey;
    if (offer_ == Offer::Unknown)
        return Probe();
    if (offer_ == Offer::Offered)
        CreateSession();
}

void PortalHotKey::Probe() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        offer_ = Offer::NotOffered; // Grab says so at once
        return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kShortcuts << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        offer_ = watcher->isError() ? Offer::NotOffered : Offer::Offered;
        if (offer_ == Offer::NotOffered)
            return emit notOffered();
        QDBusConnection::sessionBus().connect(kService, kPath, kShortcuts,
                                              QStringLiteral("Activated"), this,
                                              SLOT(Activated(QDBusMessage)));
        CreateSession();
    });
}

void PortalHotKey::Request(const QString& method, QList<QVariant> arguments, QVariantMap options,
                           std::function<void(const QVariantMap&)> done) {
    const QString token = QStringLiteral("lumivox%1").arg(++requests_);
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Listening before asking: the answer may come at once.
    auto* request = new PortalRequest(std::move(done), this);
    bus.connect(kService, RequestPath(token), QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), request, SLOT(Response(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kShortcuts, method);
    call.setArguments(arguments);
    bus.asyncCall(call);
}

void PortalHotKey::CreateSession() {
    if (!session_.isEmpty()) {
        QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
            kService, session_, QStringLiteral("org.freedesktop.portal.Session"),
            QStringLiteral("Close")));
        session_.clear();
    }
    if (!wanted_)
        return;
    const QVariantMap options{
        {QStringLiteral("session_handle_token"), QStringLiteral("lumivox%1").arg(requests_ + 1)}};
    Request(QStringLiteral("CreateSession"), {}, options, [this](const QVariantMap& results) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        BindShortcut(handle.userType() == qMetaTypeId<QDBusObjectPath>()
                         ? qvariant_cast<QDBusObjectPath>(handle).path()
                         : handle.toString());
    });
}

void PortalHotKey::BindShortcut(const QString& session) {
    if (!wanted_ || session.isEmpty())
        return;
    session_ = session;
    const QList<Shortcut> shortcuts{{kShortcutId,
                                     {{QStringLiteral("description"), QStringLiteral("报时")},
                                      {QStringLiteral("preferred_trigger"), Trigger(*wanted_)}}}};
    Request(
        QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts), QString()},
        {}, [](const QVariantMap&) {});
}

void PortalHotKey::Activated(const QDBusMessage& message) {
    const QList<QVariant> values = message.arguments();
    if (values.size() >= 2 && values[1].toString() == kShortcutId &&
        qvariant_cast<QDBusObjectPath>(values[0]).path() == session_)
        emit pressed();
}

} // namespace lumivox

#include "portalhotkey.moc"
