#include "support/AtResponder.h"

bool AtResponder::open(const QString &path)
{
    port_.setPortName(path);
    QObject::connect(&port_, &QSerialPort::readyRead, [this] { onRead(); });
    clock_.start();
    return port_.open(QIODevice::ReadWrite);
}

void AtResponder::on(const QByteArray &prefix, const QList<QByteArray> &replies)
{
    rules_.append({prefix, replies, 0});
}

void AtResponder::send(const QByteArray &bytes)
{
    port_.write(bytes);
    port_.flush();
}

void AtResponder::onRead()
{
    const QByteArray bytes = port_.readAll();
    got += bytes;
    for (const char c : bytes) {
        if (c == '\r') {
            if (!line_.isEmpty())
                take(line_);
            line_.clear();
            continue;
        }
        line_ += c;
        if (line_ == "+++") {
            take(line_);
            line_.clear();
        }
    }
}

void AtResponder::take(const QByteArray &command)
{
    commands << command;
    arrivals << clock_.elapsed();
    for (Rule &rule : rules_) {
        if (!command.startsWith(rule.prefix))
            continue;
        const QByteArray reply = rule.replies.value(qMin<qsizetype>(rule.used++, rule.replies.size() - 1));
        if (!reply.isEmpty())
            send(reply);
        return;
    }
}
