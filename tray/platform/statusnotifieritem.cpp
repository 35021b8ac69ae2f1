#include "tray/platform/statusnotifieritem.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QImage>

#include <algorithm>

namespace lumivox {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kWatcherInterface = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
// Start-up waits this long at most for a bus that does not answer.
constexpr int kFirstAskMs = 1000;

QDBusMessage HostQuestion() {
    QDBusMessage m = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    m << kWatcherInterface << QStringLiteral("IsStatusNotifierHostRegistered");
    return m;
}

bool HostAnswer(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

void RegisterTypes() {
    static const bool once = [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<SniPixmapList>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)once;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& a, const SniPixmap& p) {
    a.beginStructure();
    a << p.width << p.height << p.argb;
    a.endStructure();
    return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, SniPixmap& p) {
    a.beginStructure();
    a >> p.width >> p.height >> p.argb;
    a.endStructure();
    return a;
}

QDBusArgument& operator<<(QDBusArgument& a, const SniToolTip& t) {
    a.beginStructure();
    a << t.iconName << t.pixmaps << t.title << t.text;
    a.endStructure();
    return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, SniToolTip& t) {
    a.beginStructure();
    a >> t.iconName >> t.pixmaps >> t.title >> t.text;
    a.endStructure();
    return a;
}

SniPixmapList SniPixmapsOf(const QIcon& icon) {
    SniPixmapList list;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        const QImage image =
            icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        SniPixmap p{image.width(), image.height(), {}};
        p.argb.reserve(image.width() * image.height() * 4);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb v = line[x];
                p.argb.append(char(qAlpha(v))).append(char(qRed(v)));
                p.argb.append(char(qGreen(v))).append(char(qBlue(v)));
            }
        }
        list.append(p);
    }
    return list;
}

// --- the watcher ---------------------------------------------------------------------

StatusNotifierWatch::StatusNotifierWatch(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(bus),
      names_(kWatcherService, bus, QDBusServiceWatcher::WatchForOwnerChange) {
    if (!bus_.isConnected())
        return;
    connect(&names_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty()) {
                    Set(false);
                    return;
                }
                if (available_)
                    emit Restarted();
                AskAsync();
            });
    bus_.connect(kWatcherService, kWatcherPath, kWatcherInterface,
                 QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(AskAsync()));
    // Answered at once, so the first icon goes where it belongs.
    available_ = HostAnswer(bus_.call(HostQuestion(), QDBus::Block, kFirstAskMs));
}

void StatusNotifierWatch::AskAsync() {
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(HostQuestion()), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        Set(HostAnswer(w->reply()));
    });
}

void StatusNotifierWatch::Set(bool available) {
    if (available == available_)
        return;
    available_ = available;
    emit Changed(available);
}

// --- the item ------------------------------------------------------------------------

namespace {
int itemsMade = 0;
QString ItemConnection(int number) {
    return QStringLiteral("lumivox-tray-item-%1").arg(number);
}
} // namespace

StatusNotifierItem::StatusNotifierItem(QObject* parent)
    : QObject(parent), number_(++itemsMade),
      bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, ItemConnection(number_))),
      service_(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                   .arg(QCoreApplication::applicationPid())
                   .arg(number_)) {
    RegisterTypes();
    adaptor_ = new StatusNotifierItemAdaptor(this);
}

StatusNotifierItem::~StatusNotifierItem() {
    Withdraw();
    QDBusConnection::disconnectFromBus(ItemConnection(number_));
}

bool StatusNotifierItem::Publish(const QIcon& icon, const QString& toolTip) {
    if (!bus_.isConnected())
        return false;
    pixmaps_ = SniPixmapsOf(icon);
    toolTip_ = toolTip;
    if (!objectRegistered_) {
        objectRegistered_ = bus_.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors);
        if (!objectRegistered_)
            return false;
    }
    if (!published_ && !bus_.interface()->registerService(service_).isValid())
        return false;
    published_ = true;
    Register();
    return true;
}

void StatusNotifierItem::Register() {
    QDBusMessage m =
        QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherInterface,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    m << service_;
    bus_.asyncCall(m);
}

void StatusNotifierItem::RegisterAgain() {
    if (published_)
        Register();
}

void StatusNotifierItem::Update(const QIcon& icon, const QString& toolTip) {
    SniPixmapList pixmaps = SniPixmapsOf(icon);
    const bool newIcon = pixmaps.size() != pixmaps_.size() ||
                         !std::equal(pixmaps.begin(), pixmaps.end(), pixmaps_.begin(),
                                     [](const SniPixmap& a, const SniPixmap& b) {
                                         return a.width == b.width && a.argb == b.argb;
                                     });
    const bool newTip = toolTip != toolTip_;
    pixmaps_ = std::move(pixmaps);
    toolTip_ = toolTip;
    if (!published_)
        return;
    if (newIcon)
        emit adaptor_->NewIcon();
    if (newTip)
        emit adaptor_->NewToolTip();
}

void StatusNotifierItem::Withdraw() {
    // Watchers drop an item whose name leaves the bus.
    if (published_)
        bus_.interface()->unregisterService(service_);
    published_ = false;
    if (objectRegistered_)
        bus_.unregisterObject(kItemPath);
    objectRegistered_ = false;
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), item_(item) {
    setAutoRelaySignals(false);
}

QString StatusNotifierItemAdaptor::Title() const {
    return QString::fromUtf8("Lumivox语音报时器");
}

SniToolTip StatusNotifierItemAdaptor::ToolTip() const {
    return {QString(), {}, item_->ToolTipText(), QString()};
}

void StatusNotifierItemAdaptor::Activate(int, int) {
    emit item_->Activated(QSystemTrayIcon::Trigger);
}

void StatusNotifierItemAdaptor::SecondaryActivate(int, int) {
    emit item_->Activated(QSystemTrayIcon::MiddleClick);
}

void StatusNotifierItemAdaptor::ContextMenu(int, int) {
    emit item_->Activated(QSystemTrayIcon::Context);
}

void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

} // namespace lumivox
