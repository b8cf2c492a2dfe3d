#pragma once

#include <QtGlobal>

// CRC-16 with polynomial 0x1021, most significant bit first, no final
// inversion. Xmodem, Ymodem and Zmodem start it at 0 (CRC-16/XMODEM) and B+
// at 0xffff; pass the previous result to continue over more bytes.
quint16 crc16Ccitt(const void *data, qsizetype length, quint16 crc = 0);
