#pragma once

#include "comms/transfer/TransferTypes.h"

#include <QString>
#include <QStringList>

// What the command line asks tarnex-xfer to do.
struct XferRequest {
    enum class Line { Stdio, Serial, Tcp, Listen };

    bool sending = false;
    ProtocolType protocol = ProtocolType::None;
    ProtocolOptions options;
    QStringList files; // to send
    QString directory; // to receive into
    QString fileName; // name for protocols that carry none
    QString historyFile;
    bool progress = false;

    Line line = Line::Stdio;
    QString device;
    qint32 baud = 115200;
    QString host;
    quint16 port = 0;
    bool raw = false;
};

// Parses the arguments (program name first). On failure returns false with
// a message for the user; with --help returns false and an empty message
// after printing the help text.
bool parseXferCommandLine(const QStringList &arguments, XferRequest *request, QString *error);
