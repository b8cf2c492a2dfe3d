#pragma once

#include "shell/main/Application.h"
#include "support/LinePeers.h"

#include <QSerialPort>

class UserPrompt;

// The program's window online on one end of a pseudo-terminal pair, the far
// end open here as the peer.
class OnlineWindow {
public:
    bool start(UserPrompt &prompt);
    Application &application() { return application_; }
    TMainform &window() { return application_.window(); }
    QSerialPort &far() { return far_; }
    // Everything the peer has received so far, waiting up to the timeout for at least count bytes.
    QByteArray received(qsizetype count, int timeoutMs = 20000);

private:
    PtyPair pty_;
    Application application_;
    QSerialPort far_;
    QByteArray atFar_;
};
