#pragma once

#include <QByteArray>

#include <cstdint>

// Framing shared by the Xmodem family and Ymodem: control bytes, the
// checksum and block assembly.
namespace Xmodem {

inline constexpr char SOH = 0x01;
inline constexpr char STX = 0x02;
inline constexpr char EOT = 0x04;
inline constexpr char ACK = 0x06;
inline constexpr char BS = 0x08;
inline constexpr char NAK = 0x15;
inline constexpr char CAN = 0x18;
inline constexpr char SUB = 0x1a;
inline constexpr char CRC_START = 'C';
inline constexpr char STREAM_START = 'G';

inline constexpr int shortBlock = 128;
inline constexpr int longBlock = 1024;

quint8 checksum(const char *data, qsizetype length);

// A complete block: header, number and complement, data padded with SUB
// (or with NUL for a Ymodem header) to blockSize, then the check.
QByteArray buildBlock(quint8 number, const QByteArray &data, int blockSize, bool useCrc, char pad = SUB);

// The abort sequence: eight CAN, then backspaces to erase them from a
// terminal that shows them.
QByteArray cancelSequence();

} // namespace Xmodem
