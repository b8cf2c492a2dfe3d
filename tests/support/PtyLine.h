#pragma once

#include "comms/line/Comport.h"
#include "support/LinePeers.h"

#include <QSerialPort>

// A port open on one end of a pseudo-terminal pair and the far end open
// here, collecting what arrives.
struct PtyLine {
    PtyPair pty;
    Comport port;
    QSerialPort far;
    QByteArray atFar;

    bool start()
    {
        if (!pty.start())
            return false;
        port.setDevicePath(pty.near());
        port.open();
        far.setPortName(pty.far());
        QObject::connect(&far, &QSerialPort::readyRead, [this] { atFar += far.readAll(); });
        return port.isOpen() && far.open(QIODevice::ReadWrite);
    }
};
