#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Resolves a host name to dotted IPv4 text on a worker thread that nobody
// waits for: abandoning a look-up (or destroying the resolver, or leaving
// the program) never waits for a slow name server, and a late answer is
// ignored. resolved() carries "0.0.0.0" when the name cannot be resolved.
class HostResolver : public QObject {
    Q_OBJECT
public:
    static inline const QString unresolved = QStringLiteral("0.0.0.0");

    explicit HostResolver(QObject *parent = nullptr);
    ~HostResolver() override;

    // Starts a look-up, abandoning any running one.
    void lookup(const QString &host);
    void abandon();
    bool busy() const { return busy_; }

    // The blocking look-up the worker runs.
    static QString resolveNow(const QString &host);

signals:
    void resolved(const QString &host, const QString &address);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    quint64 generation_ = 0;
    bool busy_ = false;
};
