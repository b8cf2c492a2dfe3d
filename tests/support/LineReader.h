#pragma once

#include "comms/line/Comport.h"

// Reads the port's input buffer whenever data is announced, as a terminal does.
struct LineReader {
    QByteArray got;
    HandlerRegistration reading;
    explicit LineReader(Comport &port)
        : reading(
            port.events().data.attach(HandlerStage::Window, [this, &port](const QByteArray &, qint64 count) {
                got += port.getBlock(count);
                return false;
            }))
    { }
};
