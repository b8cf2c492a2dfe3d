#pragma once

#include "comms/transfer/zmodem/ZmodemConstants.h"

#include <QtGlobal>

#include <array>

// What the decoder reports, in line order.
class ZmodemSink {
public:
    virtual ~ZmodemSink() = default;
    virtual void zHeader(const Zmodem::Header &header) = 0;
    // A data subpacket that passed its check; frameEnd says what follows.
    virtual void zData(const quint8 *data, int length, quint8 frameEnd) = 0;
    // A header or subpacket that failed its check or was malformed.
    virtual void zBadHeader() = 0;
    virtual void zBadData() = 0;
    // Five CANs in a row: the other side aborted.
    virtual void zCancelled() = 0;
};

// Incremental Zmodem frame parser: fed raw line bytes in chunks of any size,
// it finds hex, binary-16 and binary-32 headers, undoes ZDLE escaping,
// checks CRCs and reports to the sink. After a header of a type that carries
// data (ZSINIT, ZFILE, ZDATA, ZCOMMAND) it reads data subpackets until one
// ends the frame; the sink may call skipData() to ignore them instead.
class ZmodemDecoder {
public:
    explicit ZmodemDecoder(ZmodemSink *sink);

    void feed(const quint8 *bytes, qsizetype length);
    // Back to looking for a header (discard the rest of a frame).
    void skipData();
    // Stop the current feed() and ignore everything after (transfer over).
    void stop() { stopped_ = true; }
    // Whether the last header used a 32-bit CRC (its data does too).
    bool lastHeaderCrc32() const { return crc32_; }

private:
    enum class State { Hunt, Pad, PadDle, HexHeader, BinHeader, HexTrailer, Data, DataCrc };

    void headerComplete(bool hex);
    qsizetype feedData(const quint8 *p, qsizetype i, qsizetype n);
    void dataComplete();
    void badData();
    bool countCan(quint8 c);

    ZmodemSink *sink_;
    State state_ = State::Hunt;
    State afterTrailer_ = State::Hunt;
    bool stopped_ = false;
    bool crc32_ = false;
    bool escapePending_ = false;
    int canRun_ = 0;
    int need_ = 0;
    int have_ = 0;
    quint8 frameEnd_ = 0;
    std::array<quint8, 18> header_{};
    std::array<quint8, 4> check_{};
    int dataLength_ = 0;
    std::array<quint8, Zmodem::MaxSubpacket> data_{};
};
