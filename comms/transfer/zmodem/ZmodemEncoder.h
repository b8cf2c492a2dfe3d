#pragma once

#include "comms/transfer/zmodem/ZmodemConstants.h"

#include <QByteArray>

// Builds what a Zmodem side puts on the line: hex and binary headers and
// data subpackets, with ZDLE escaping. Escaping always covers ZDLE, DLE,
// XON and XOFF (the last three with and without the high bit) and CR after
// '@' (so telnet and rlogin escapes are never formed), the set of the
// protocol document; with escapeControls every control character is
// escaped too. Output is appended to the caller's buffer.
class ZmodemEncoder {
public:
    ZmodemEncoder();

    void setEscapeControls(bool on);
    bool escapesControls() const { return escapeControls_; }

    void hexHeader(QByteArray &out, const Zmodem::Header &header);
    void binaryHeader(QByteArray &out, const Zmodem::Header &header, bool crc32);
    // One data subpacket ending in frameEnd; a ZCRCW end is followed by XON.
    void dataSubpacket(QByteArray &out, const char *data, qsizetype length, quint8 frameEnd, bool crc32);

private:
    // Writes the escaped bytes at o, which has room for twice length;
    // returns the new end.
    char *escape(char *o, const quint8 *in, qsizetype length);

    // 0 plain, 1 always escaped, 2 CR: escaped after '@'.
    quint8 table_[256];
    bool escapeControls_ = false;
    quint8 lastSent_ = 0;
};
