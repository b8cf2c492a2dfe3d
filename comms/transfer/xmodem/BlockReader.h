#pragma once

#include <QByteArray>

// Splits the receiver's input into Xmodem/Ymodem blocks. Feed it bytes; it
// stops at each complete event so the caller can answer before reading on.
class BlockReader {
public:
    enum class Event {
        None, // needs more input
        Block, // a block whose number, complement and check are right
        BadBlock, // a complete block that failed its number or data check
        Eot,
        Cancel, // two CAN in a row where a block should start
        Noise, // a byte that cannot start a block
    };

    struct Result {
        Event event = Event::None;
        quint8 number = 0;
        QByteArray data;
    };

    void setCrc(bool useCrc) { useCrc_ = useCrc; }
    bool usesCrc() const { return useCrc_; }
    // True while part of a block has been read.
    bool inBlock() const { return state_ != State::Header; }
    void reset();

    // Reads from data until one event completes or the input runs out;
    // returns how many bytes were used.
    qsizetype read(const char *data, qsizetype length, Result *result);

private:
    enum class State { Header, Number, Complement, Payload };

    State state_ = State::Header;
    bool useCrc_ = true;
    bool sawCan_ = false;
    int blockSize_ = 0;
    quint8 number_ = 0;
    quint8 complement_ = 0;
    QByteArray buffer_;
};
