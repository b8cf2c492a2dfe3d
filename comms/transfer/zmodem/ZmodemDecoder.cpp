#include "comms/transfer/zmodem/ZmodemDecoder.h"

#include "comms/transfer/Crc16.h"
#include "comms/transfer/zmodem/ByteClass.h"
#include "comms/transfer/zmodem/ZmodemCrc.h"

using namespace Zmodem;

namespace {

bool carriesData(quint8 type)
{
    return type == ZSINIT || type == ZFILE || type == ZDATA || type == ZCOMMAND;
}

// ZDLE, and XON and XOFF with or without the high bit.
constexpr ByteClass lineControl({0xff, ZDLE}, {0x7d, XON}, {0xff, ZDLE});

bool isFlowControl(quint8 c)
{
    return (c & 0x7f) == XON || (c & 0x7f) == XOFF;
}

int hexValue(quint8 c)
{
    c &= 0x7f;
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isFrameEnd(quint8 c)
{
    return c == ZCRCE || c == ZCRCG || c == ZCRCQ || c == ZCRCW;
}

// The byte an escape stands for, or -1 when ZDLE c is not a valid escape.
int unescaped(quint8 c)
{
    if (c == ZRUB0)
        return 0x7f;
    if (c == ZRUB1)
        return 0xff;
    if ((c & 0x60) == 0x40)
        return c ^ 0x40;
    return -1;
}

} // namespace

ZmodemDecoder::ZmodemDecoder(ZmodemSink *sink)
    : sink_(sink)
{ }

void ZmodemDecoder::skipData()
{
    state_ = State::Hunt;
    afterTrailer_ = State::Hunt;
    escapePending_ = false;
}

bool ZmodemDecoder::countCan(quint8 c)
{
    if (c != ZDLE) {
        canRun_ = 0;
        return false;
    }
    if (++canRun_ < 5)
        return false;
    canRun_ = 0;
    state_ = State::Hunt;
    escapePending_ = false;
    sink_->zCancelled();
    return true;
}

void ZmodemDecoder::feed(const quint8 *p, qsizetype n)
{
    qsizetype i = 0;
    while (i < n && !stopped_) {
        if (state_ == State::Data || state_ == State::DataCrc) {
            i = feedData(p, i, n);
            continue;
        }
        const quint8 c = p[i++];
        if (countCan(c))
            continue;
        switch (state_) {
        case State::Hunt:
            if ((c & 0x7f) == ZPAD)
                state_ = State::Pad;
            break;
        case State::Pad:
            if (c == ZDLE)
                state_ = State::PadDle;
            else if ((c & 0x7f) != ZPAD)
                state_ = State::Hunt;
            break;
        case State::PadDle:
            have_ = 0;
            escapePending_ = false;
            switch (c & 0x7f) {
            case ZHEX:
                state_ = State::HexHeader;
                need_ = 14;
                break;
            case ZBIN:
                state_ = State::BinHeader;
                crc32_ = false;
                need_ = 7;
                break;
            case ZBIN32:
                state_ = State::BinHeader;
                crc32_ = true;
                need_ = 9;
                break;
            default:
                state_ = (c & 0x7f) == ZPAD ? State::Pad : State::Hunt;
                break;
            }
            break;
        case State::HexHeader:
            if (hexValue(c) < 0) {
                state_ = State::Hunt;
                sink_->zBadHeader();
                break;
            }
            header_[have_++] = quint8(c);
            if (have_ == need_) {
                for (int k = 0; k < 7; ++k)
                    header_[k] = quint8(hexValue(header_[2 * k]) << 4 | hexValue(header_[2 * k + 1]));
                crc32_ = false;
                if (crc16Ccitt(header_.data(), 7) != 0) {
                    state_ = State::Hunt;
                    sink_->zBadHeader();
                } else {
                    headerComplete(true);
                }
            }
            break;
        case State::BinHeader: {
            if (escapePending_) {
                if (c == ZDLE || isFlowControl(c))
                    break;
                escapePending_ = false;
                const int v = unescaped(c);
                if (v < 0) {
                    state_ = State::Hunt;
                    sink_->zBadHeader();
                    break;
                }
                header_[have_++] = quint8(v);
            } else if (c == ZDLE) {
                escapePending_ = true;
                break;
            } else if (isFlowControl(c)) {
                break;
            } else {
                header_[have_++] = c;
            }
            if (have_ == need_) {
                bool ok;
                if (crc32_) {
                    const quint32 got
                        = header_[5] | (header_[6] << 8) | (header_[7] << 16) | (quint32(header_[8]) << 24);
                    ok = ZmodemCrc::crc32(header_.data(), 5) == got;
                } else {
                    ok = crc16Ccitt(header_.data(), 7) == 0;
                }
                state_ = State::Hunt;
                if (ok)
                    headerComplete(false);
                else
                    sink_->zBadHeader();
            }
            break;
        }
        case State::HexTrailer:
            if (c == '\r' || c == '\n' || c == 0x8a || c == 0x8d || isFlowControl(c))
                break;
            // Not trailer: the byte starts whatever follows.
            --i;
            if (c == ZDLE)
                --canRun_;
            state_ = afterTrailer_;
            break;
        case State::Data:
        case State::DataCrc:
            break;
        }
    }
}

void ZmodemDecoder::headerComplete(bool hex)
{
    Header header;
    header.type = header_[0];
    for (int k = 0; k < 4; ++k)
        header.b[k] = header_[k + 1];
    const State next = carriesData(header.type) ? State::Data : State::Hunt;
    state_ = hex ? State::HexTrailer : next;
    afterTrailer_ = next;
    dataLength_ = 0;
    escapePending_ = false;
    sink_->zHeader(header);
}

qsizetype ZmodemDecoder::feedData(const quint8 *p, qsizetype i, qsizetype n)
{
    while (i < n && !stopped_ && (state_ == State::Data || state_ == State::DataCrc)) {
        if (state_ == State::Data && !escapePending_) {
            // Fast path: copy plain bytes up to the next ZDLE or flow control,
            // and take an escaped data byte whose two halves are both here.
            qsizetype room;
            qsizetype run;
            for (;;) {
                room = qsizetype(data_.size()) - dataLength_;
                run = lineControl.copyUntil(p + i, qMin(n - i, room), data_.data() + dataLength_);
                dataLength_ += int(run);
                i += run;
                if (run > 0)
                    canRun_ = 0;
                if (run == room || i + 1 >= n || p[i] != ZDLE || (p[i + 1] & 0x60) != 0x40)
                    break;
                data_[dataLength_++] = p[i + 1] ^ 0x40;
                i += 2;
                canRun_ = 0;
            }
            if (i == n)
                break;
            if (run == room && !lineControl.contains(p[i])) {
                badData();
                return i;
            }
        }
        const quint8 c = p[i++];
        if (countCan(c))
            return i;
        if (!escapePending_) {
            if (c == ZDLE)
                escapePending_ = true;
            else if (!isFlowControl(c) && state_ == State::DataCrc)
                check_[have_++] = c;
            // In Data, plain bytes were taken above and flow control is dropped.
        } else if (c == ZDLE || isFlowControl(c)) {
            continue;
        } else {
            escapePending_ = false;
            if (state_ == State::Data && isFrameEnd(c)) {
                frameEnd_ = c;
                state_ = State::DataCrc;
                have_ = 0;
                need_ = crc32_ ? 4 : 2;
                continue;
            }
            const int v = unescaped(c);
            if (v < 0) {
                badData();
                return i;
            }
            if (state_ == State::DataCrc) {
                check_[have_++] = quint8(v);
            } else if (dataLength_ == int(data_.size())) {
                badData();
                return i;
            } else {
                data_[dataLength_++] = quint8(v);
            }
        }
        if (state_ == State::DataCrc && have_ == need_)
            dataComplete();
    }
    return i;
}

void ZmodemDecoder::dataComplete()
{
    bool ok;
    if (crc32_) {
        quint32 crc = ZmodemCrc::crc32Update(0xffffffffu, data_.data(), dataLength_);
        crc = ~ZmodemCrc::crc32Update(crc, &frameEnd_, 1);
        const quint32 got = check_[0] | (check_[1] << 8) | (check_[2] << 16) | (quint32(check_[3]) << 24);
        ok = crc == got;
    } else {
        quint16 crc = crc16Ccitt(data_.data(), dataLength_);
        crc = crc16Ccitt(&frameEnd_, 1, crc);
        ok = crc == quint16(check_[0] << 8 | check_[1]);
    }
    if (!ok) {
        badData();
        return;
    }
    const int length = dataLength_;
    dataLength_ = 0;
    state_ = (frameEnd_ == ZCRCG || frameEnd_ == ZCRCQ) ? State::Data : State::Hunt;
    sink_->zData(data_.data(), length, frameEnd_);
}

void ZmodemDecoder::badData()
{
    state_ = State::Hunt;
    escapePending_ = false;
    dataLength_ = 0;
    sink_->zBadData();
}
