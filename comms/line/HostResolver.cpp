#include "comms/line/HostResolver.h"

#include <QHostAddress>
#include <QMetaObject>

#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

// What the worker and the resolver share: the resolver may be gone by the
// time the worker finishes, so the worker only posts while it is alive.
struct HostResolver::Shared {
    std::mutex mutex;
    HostResolver *owner = nullptr;
};

HostResolver::HostResolver(QObject *parent)
    : QObject(parent)
    , shared_(std::make_shared<Shared>())
{
    shared_->owner = this;
}

HostResolver::~HostResolver()
{
    const std::lock_guard lock(shared_->mutex);
    shared_->owner = nullptr;
}

QString HostResolver::resolveNow(const QString &host)
{
    const QString name = host.trimmed();
    const QHostAddress literal(name);
    if (!literal.isNull() && literal.protocol() == QAbstractSocket::IPv4Protocol)
        return literal.toString();
    if (name.isEmpty())
        return unresolved;
#ifdef Q_OS_UNIX
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        return unresolved;
    char text[INET_ADDRSTRLEN] = {};
    const auto *address = reinterpret_cast<const sockaddr_in *>(found->ai_addr);
    const bool ok = inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
    freeaddrinfo(found);
    return ok ? QString::fromLatin1(text) : unresolved;
#else
    return unresolved;
#endif
}

void HostResolver::lookup(const QString &host)
{
    const quint64 generation = ++generation_;
    busy_ = true;
    std::thread([shared = shared_, host, generation] {
        const QString address = resolveNow(host);
        const std::lock_guard lock(shared->mutex);
        if (HostResolver *owner = shared->owner) {
            QMetaObject::invokeMethod(
                owner,
                [owner, host, address, generation] {
                    if (generation != owner->generation_)
                        return; // abandoned or superseded
                    owner->busy_ = false;
                    emit owner->resolved(host, address);
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

void HostResolver::abandon()
{
    ++generation_;
    busy_ = false;
}
