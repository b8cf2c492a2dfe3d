#pragma once

#include "comms/events/HandlerChain.h"

#include <QFile>
#include <QObject>

class Comport;
class MainView;

// Receive mode for raw bytes: while on, everything the port receives is
// appended to one file unchanged instead of reaching the terminal.
class BinaryReceive : public QObject {
    Q_OBJECT
public:
    BinaryReceive(Comport &port, MainView &view, QObject *parent = nullptr);
    ~BinaryReceive() override;

    // Creates (truncates) the file and turns receive mode on; false, with a
    // notice, when the file cannot be created.
    bool begin(const QString &path);
    // Closes the file and turns receive mode off.
    void end();
    bool isReceiving() const { return file_.isOpen(); }
    QString fileName() const { return file_.fileName(); }

signals:
    void receivingChanged(bool receiving);

private:
    bool onData(qint64 waiting);
    void stop();

    Comport &port_;
    MainView &view_;
    QFile file_;
    HandlerRegistration handler_;
};
