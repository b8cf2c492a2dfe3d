#pragma once

#include <QObject>

class TLog;

// Tarnex on the D-Bus session bus: the well-known name Tarnex69.TarnexApp
// and, on the object "/", PostMessage for other processes. Without a
// session bus, or when another Tarnex holds the name, the program runs on
// without it and the log says why.
class AutomationBus : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Tarnex69.ITarnexApp")
public:
    AutomationBus(TLog &log, QObject *parent = nullptr);
    bool isRegistered() const { return registered_; }

public slots:
    Q_SCRIPTABLE void PostMessage(uint number, int param);

signals:
    void messagePosted(uint number, int param);

private:
    bool registered_ = false;
};
