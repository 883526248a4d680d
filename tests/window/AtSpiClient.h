#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>
#include <optional>

// Reads a running application's controls as a screen reader does: over
// the AT-SPI accessibility bus, starting from the registry's desktop.
class AtSpiClient
{
public:
    struct Object
    {
        QString service;
        QString path;
        QString role;        // AT-SPI role name: "push button", "label", "text" ...
        QString name;
        QString description;
        quint32 states = 0;  // the first word of the AT-SPI state set
    };

    // AT-SPI state bits the tests look at.
    static constexpr quint32 Checked = 1u << 4;
    static constexpr quint32 Enabled = 1u << 8;
    static constexpr quint32 Sensitive = 1u << 24;

    explicit AtSpiClient(const QString &busAddress);
    ~AtSpiClient();

    // Every object of the application called `appName`, depth first in the
    // order the application gives them; empty while it is not on the bus.
    QList<Object> objectsOf(const QString &appName);
    // The first object of that application with this role and description,
    // or with this role and name when `description` is empty.
    std::optional<Object> find(const QString &appName, const QString &role, const QString &name,
                               const QString &description = QString());
    // The object as it is now.
    Object refreshed(const Object &object) { return describe(object.service, object.path); }
    // The whole text of an object with a text interface.
    QString text(const Object &object);
    // Its first selection, in characters; (0, 0) for none.
    QPair<int, int> selection(const Object &object);

private:
    QList<QPair<QString, QString>> children(const QString &service, const QString &path);
    Object describe(const QString &service, const QString &path);
    void collect(const QString &service, const QString &path, QList<Object> &into, int depth);
    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments = {});

    QString m_connectionName;
    QDBusConnection m_bus;
};
