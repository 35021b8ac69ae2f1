// The notification area of KDE Plasma, GNOME's AppIndicator, Xfce and sway: a
// StatusNotifierItem on the session bus, registered with the desktop's
// org.kde.StatusNotifierWatcher. The program publishes its own item, because Qt
// decides only once per process whether such a tray exists.
#pragma once
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

namespace lumivox {

// One image in the item's wire format: ARGB32 pixels in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniPixmapList = QList<SniPixmap>;

struct SniToolTip {
    QString iconName;
    SniPixmapList pixmaps;
    QString title;
    QString text;
};

SniPixmapList SniPixmapsOf(const QIcon& icon);

QDBusArgument& operator<<(QDBusArgument& a, const SniPixmap& p);
const QDBusArgument& operator>>(const QDBusArgument& a, SniPixmap& p);
QDBusArgument& operator<<(QDBusArgument& a, const SniToolTip& t);
const QDBusArgument& operator>>(const QDBusArgument& a, SniToolTip& t);

// Whether the session bus has a watcher with a host to show its items.
class StatusNotifierWatch : public QObject {
    Q_OBJECT

public:
    explicit StatusNotifierWatch(QDBusConnection bus, QObject* parent = nullptr);

    bool Available() const { return available_; }

signals:
    void Changed(bool available);
    // The watcher was replaced (a panel restarted): items must register again.
    void Restarted();

private slots:
    void AskAsync();

private:
    void Set(bool available);

    QDBusConnection bus_;
    QDBusServiceWatcher names_;
    bool available_ = false;
};

class StatusNotifierItem : public QObject {
    Q_OBJECT

public:
    // Each item has a session-bus connection of its own: the item's path is fixed.
    explicit StatusNotifierItem(QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Puts the item on the bus and asks the watcher to show it.
    bool Publish(const QIcon& icon, const QString& toolTip);
    void Update(const QIcon& icon, const QString& toolTip);
    void Withdraw();
    // Registers a published item with a watcher that has just come.
    void RegisterAgain();
    bool Published() const { return published_; }

    QString ServiceName() const { return service_; }
    const SniPixmapList& Pixmaps() const { return pixmaps_; }
    const QString& ToolTipText() const { return toolTip_; }

signals:
    void Activated(QSystemTrayIcon::ActivationReason reason);

private:
    void Register();

    int number_;
    QDBusConnection bus_;
    QString service_;
    SniPixmapList pixmaps_;
    QString toolTip_;
    bool published_ = false;
    bool objectRegistered_ = false;
    class StatusNotifierItemAdaptor* adaptor_ = nullptr;
};

class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ NoName)
    Q_PROPERTY(lumivox::SniPixmapList IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ NoName)
    Q_PROPERTY(lumivox::SniPixmapList OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ NoName)
    Q_PROPERTY(lumivox::SniPixmapList AttentionIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ NoName)
    Q_PROPERTY(lumivox::SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item);

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QStringLiteral("lumivox"); }
    QString Title() const;
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString NoName() const { return {}; }
    SniPixmapList IconPixmap() const { return item_->Pixmaps(); }
    SniPixmapList NoPixmaps() const { return {}; }
    SniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

signals:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* item_;
};

} // namespace lumivox

Q_DECLARE_METATYPE(lumivox::SniPixmap)
Q_DECLARE_METATYPE(lumivox::SniToolTip)
