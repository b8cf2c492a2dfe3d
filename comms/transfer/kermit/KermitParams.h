#pragma once

#include <QByteArray>

// One side's Send-Init parameters, as carried in the S packet and in the
// ACK that answers it.
struct KermitParams {
    int maxLength = 80; // largest packet this side receives (long form above 94)
    int timeoutSecs = 5;
    int padCount = 0;
    char padChar = 0;
    char eol = '\r';
    char qctl = '#';
    char qbin = 'N'; // 'Y' agrees, 'N' refuses, a prefix character requests
    int checkType = 1;
    char rept = ' '; // ' ' for none
    bool longPackets = false;
    bool windows = false;
    bool attributes = false;
    int windowSize = 1;
    bool streaming = false;

    QByteArray encode() const;
    // Absent fields keep the protocol's defaults.
    static KermitParams decode(const QByteArray &data);
};

// What both sides agreed on.
struct KermitLink {
    int sendMaxLength = 80; // largest packet we may send
    int checkType = 1;
    char qctl = '#'; // the prefix this side uses when sending
    char peerQctl = '#'; // the prefix the other side uses
    char qbin = 0;
    char rept = 0;
    int windowSize = 1;
    bool attributes = false;
    bool streaming = false;
    int padCount = 0; // padding the other side wants before each packet
    char padChar = 0;
    char eol = '\r';
};

KermitLink negotiate(const KermitParams &mine, const KermitParams &theirs);
