#pragma once

#include "comms/transfer/bplus/BPlusPacket.h"

#include <QByteArray>

#include <array>

namespace BPlus {

// The body of a '+' (transport parameters) packet, one byte per field, in
// wire order. Fields a short packet leaves out read as 0.
struct Params {
    quint8 windowSend = 3; // packets sent ahead beyond the first
    quint8 windowReceive = 3;
    quint8 blockSize = 8; // in units of 128 bytes; 0 means 512
    quint8 checkMethod = 1; // 0 checksum, 1 CRC-16
    quint8 quotingLevel = 1; // superseded by the quote mask
    quint8 transportLayer = 0;
    std::array<quint8, 8> quoteMask{0x14, 0x00, 0xd4, 0x00, 0x00, 0x00, 0x00, 0x00};
    quint8 downloadResume = 2; // 1 'Tr', 2 'Tr' and 'Tf'
    quint8 uploadResume = 0;
    quint8 fileInfo = 1; // 'TI' packets

    QByteArray encode() const;
    static Params decode(const QByteArray &body);
    QuoteSet quoteSet() const;
};

// What both sides use once the parameters have been exchanged.
struct Session {
    int sendAhead = 0; // packets in flight beyond the first
    int blockSize = 512; // bytes of data per 'N' packet
    bool crc = false;
    QuoteSet quote = defaultQuoteSet();
    int downloadResume = 0;
    int uploadResume = 0;
    bool fileInfo = false;

    Encoding encoding() const { return Encoding{crc, quote}; }
};

// Most packets a side keeps in flight, whatever was negotiated: sequence
// numbers run 0-9, so a wider window could not tell old from new.
constexpr int maxSendAhead = 3;

// Each side takes the smaller of its own and the other's value (its send
// window against the other's receive window) and the union of the quote sets.
Session negotiate(const Params &own, const Params &other);

} // namespace BPlus
