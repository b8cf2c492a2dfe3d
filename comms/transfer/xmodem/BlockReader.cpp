#include "comms/transfer/xmodem/BlockReader.h"

#include "comms/transfer/Crc16.h"
#include "comms/transfer/xmodem/XmodemBlock.h"

#include <cstring>

void BlockReader::reset()
{
    state_ = State::Header;
    sawCan_ = false;
    buffer_.clear();
}

qsizetype BlockReader::read(const char *data, qsizetype length, Result *result)
{
    result->event = Event::None;
    qsizetype used = 0;
    while (used < length) {
        switch (state_) {
        case State::Header: {
            const char c = data[used++];
            if (c == Xmodem::CAN) {
                if (sawCan_) {
                    sawCan_ = false;
                    result->event = Event::Cancel;
                    return used;
                }
                sawCan_ = true;
                continue;
            }
            // A lone CAN is taken as line noise.
            sawCan_ = false;
            if (c == Xmodem::SOH || c == Xmodem::STX) {
                blockSize_ = c == Xmodem::STX ? Xmodem::longBlock : Xmodem::shortBlock;
                state_ = State::Number;
                continue;
            }
            result->event = c == Xmodem::EOT ? Event::Eot : Event::Noise;
            return used;
        }
        case State::Number:
            number_ = static_cast<quint8>(data[used++]);
            state_ = State::Complement;
            continue;
        case State::Complement:
            complement_ = static_cast<quint8>(data[used++]);
            state_ = State::Payload;
            buffer_.resize(0);
            buffer_.reserve(blockSize_ + 2);
            continue;
        case State::Payload: {
            const qsizetype want = blockSize_ + (useCrc_ ? 2 : 1) - buffer_.size();
            const qsizetype take = qMin(want, length - used);
            buffer_.append(data + used, take);
            used += take;
            if (take < want)
                return used;
            state_ = State::Header;
            const char *payload = buffer_.constData();
            bool good = static_cast<quint8>(number_ ^ complement_) == 0xff;
            if (useCrc_) {
                const quint16 sent = static_cast<quint16>((static_cast<quint8>(payload[blockSize_]) << 8)
                    | static_cast<quint8>(payload[blockSize_ + 1]));
                good = good && crc16Ccitt(payload, blockSize_) == sent;
            } else {
                good = good
                    && Xmodem::checksum(payload, blockSize_) == static_cast<quint8>(payload[blockSize_]);
            }
            result->event = good ? Event::Block : Event::BadBlock;
            result->number = number_;
            result->data = buffer_.left(blockSize_);
            return used;
        }
        }
    }
    return used;
}
