// A stand-in for the desktop's StatusNotifierWatcher, so the tray tests can reach Qt's D-Bus tray
// without a desktop. It has to be a process of its own: Qt asks once per process whether a host is
// registered, before a watcher inside the test could answer. Every call it gets and everything it
// does goes to stdout, one line each, for the script that runs it to read.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

class FakeWatcher final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    explicit FakeWatcher(const QDBusConnection &bus)
        : m_owners(this)
    {
        m_owners.setConnection(bus);
        m_owners.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&m_owners, &QDBusServiceWatcher::serviceUnregistered, this, &FakeWatcher::ownerLeft);
    }

    bool hostRegistered() const
    {
        say(u"get IsStatusNotifierHostRegistered"_s);
        return true;
    }
    int protocolVersion() const
    {
        say(u"get ProtocolVersion"_s);
        return 0;
    }
    QStringList items() const
    {
        say(u"get RegisteredStatusNotifierItems"_s);
        return m_items;
    }

public Q_SLOTS:
    // An item names either its bus name (its object then sits at /StatusNotifierItem) or only an
    // object path on the caller's own connection. Either way it is listed as name plus path.
    void RegisterStatusNotifierItem(const QString &serviceOrPath)
    {
        say(u"call RegisterStatusNotifierItem "_s + serviceOrPath + u" from "_s + message().service());
        const bool pathOnly = serviceOrPath.startsWith(u'/');
        const QString service = pathOnly ? message().service() : serviceOrPath;
        const QString item = service + (pathOnly ? serviceOrPath : u"/StatusNotifierItem"_s);
        if (m_items.contains(item))
            return;
        m_items.append(item);
        m_owners.addWatchedService(service);
        say(u"registered "_s + item);
        Q_EMIT StatusNotifierItemRegistered(item);
    }

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString &item);
    void StatusNotifierItemUnregistered(const QString &item);
    void StatusNotifierHostRegistered();

private:
    void ownerLeft(const QString &service)
    {
        m_owners.removeWatchedService(service);
        const QStringList listed = m_items;
        for (const QString &item : listed) {
            if (item.section(u'/', 0, 0) != service)
                continue;
            m_items.removeOne(item);
            say(u"unregistered "_s + item);
            Q_EMIT StatusNotifierItemUnregistered(item);
        }
    }

    QDBusServiceWatcher m_owners;
    QStringList m_items;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeWatcher watcher(bus);
    // The object goes up before the name: a client that sees the name must find the object there.
    if (!bus.registerObject(u"/StatusNotifierWatcher"_s, &watcher,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                | QDBusConnection::ExportAllProperties)
        || !bus.registerService(u"org.kde.StatusNotifierWatcher"_s)) {
        say((u"failed: org.kde.StatusNotifierWatcher is taken or there is no session bus "_s
            + bus.lastError().message())
                .trimmed());
        return 1;
    }
    Q_EMIT watcher.StatusNotifierHostRegistered();
    say(u"ready"_s);
    return QCoreApplication::exec();
}

#include "fakesniwatcher.moc"
