#include "AtSpiClient.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QUuid>

namespace {

const QString AccessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString RootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
constexpr int MaxDepth = 12;

QString property(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return QString();
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
}

} // namespace

AtSpiClient::AtSpiClient(const QString &busAddress)
    : m_connectionName(QUuid::createUuid().toString())
    , m_bus(QDBusConnection::connectToBus(busAddress, m_connectionName))
{
}

AtSpiClient::~AtSpiClient()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
}

QList<AtSpiClient::Object> AtSpiClient::objectsOf(const QString &appName)
{
    QList<Object> objects;
    for (const auto &[service, path] : children(QStringLiteral("org.a11y.atspi.Registry"), RootPath)) {
        if (describe(service, path).name == appName)
            collect(service, path, objects, 0);
    }
    return objects;
}

std::optional<AtSpiClient::Object> AtSpiClient::find(const QString &appName, const QString &role,
                                                     const QString &name, const QString &description)
{
    for (const Object &object : objectsOf(appName)) {
        if (object.role == role && (description.isEmpty() ? object.name == name : object.description == description))
            return object;
    }
    return std::nullopt;
}

QString AtSpiClient::text(const Object &object)
{
    const QDBusMessage reply = call(object.service, object.path, QStringLiteral("org.a11y.atspi.Text"),
                                    QStringLiteral("GetText"), {0, -1});
    return reply.arguments().isEmpty() ? QString() : reply.arguments().constFirst().toString();
}

QPair<int, int> AtSpiClient::selection(const Object &object)
{
    const QDBusMessage reply = call(object.service, object.path, QStringLiteral("org.a11y.atspi.Text"),
                                    QStringLiteral("GetSelection"), {0});
    const QVariantList values = reply.arguments();
    return values.size() == 2 ? qMakePair(values[0].toInt(), values[1].toInt()) : qMakePair(0, 0);
}

QList<QPair<QString, QString>> AtSpiClient::children(const QString &service, const QString &path)
{
    QList<QPair<QString, QString>> result;
    const QDBusMessage reply = call(service, path, AccessibleInterface, QStringLiteral("GetChildren"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return result;
    const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString childService;
        QDBusObjectPath childPath;
        list.beginStructure();
        list >> childService >> childPath;
        list.endStructure();
        result.append({childService, childPath.path()});
    }
    list.endArray();
    return result;
}

AtSpiClient::Object AtSpiClient::describe(const QString &service, const QString &path)
{
    const auto get = [&](const QString &name) {
        return property(call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                             {AccessibleInterface, name}));
    };
    Object object{service, path, QString(), get(QStringLiteral("Name")), get(QStringLiteral("Description")), 0};
    const QDBusMessage role = call(service, path, AccessibleInterface, QStringLiteral("GetRoleName"));
    if (!role.arguments().isEmpty())
        object.role = role.arguments().constFirst().toString();
    const QDBusMessage states = call(service, path, AccessibleInterface, QStringLiteral("GetState"));
    if (!states.arguments().isEmpty()) {
        QList<uint> words;
        states.arguments().constFirst().value<QDBusArgument>() >> words;
        object.states = words.value(0);
    }
    return object;
}

void AtSpiClient::collect(const QString &service, const QString &path, QList<Object> &into, int depth)
{
    into.append(describe(service, path));
    if (depth >= MaxDepth)
        return;
    for (const auto &[childService, childPath] : children(service, path))
        collect(childService, childPath, into, depth + 1);
}

QDBusMessage AtSpiClient::call(const QString &service, const QString &path, const QString &interface,
                               const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, 5000);
}
