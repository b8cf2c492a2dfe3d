#pragma once

#include "comms/events/HandlerChain.h"

#include <QByteArray>
#include <QString>

// The line's events, one chain per kind (see HandlerChain for the order).
// data: the bytes that arrived and the count now waiting in the input
// buffer. A handler in the Claim stage takes the bytes instead of the buffer
// (a transfer over the line); the later stages run after the bytes are
// stored. disconnected: closed is true when the device closed itself
// (a server socket goes on listening).
struct ComportEvents {
    HandlerChain<const QByteArray &, qint64> data;
    HandlerChain<int> dataTrigger;
    HandlerChain<int> timerTrigger;
    HandlerChain<int> statusTrigger;
    HandlerChain<> connected;
    HandlerChain<> accepted;
    HandlerChain<bool> disconnected;
    HandlerChain<int, const QString &> error;

    template <typename Report> void setFailureReport(const Report &report)
    {
        data.setFailureReport(report);
        dataTrigger.setFailureReport(report);
        timerTrigger.setFailureReport(report);
        statusTrigger.setFailureReport(report);
        connected.setFailureReport(report);
        accepted.setFailureReport(report);
        disconnected.setFailureReport(report);
        error.setFailureReport(report);
    }
};
