#pragma once

#include <QByteArray>

// What the terminal does with the B+ start sequences its emulator reports
// while B+ detection is on (ENQ, DLE, ESC 'I').
namespace BPlus {

// The start sequence for the emulator's trigger character (0x05, 0x10 or
// 'I'), as the engine takes it before the bytes that followed on the line.
QByteArray triggerBytes(char trigger);

// DLE '+' '+' DLE '0': ready for B+ with sequence 0. A terminal may send it
// itself on ENQ and stay in terminal mode until the host's first packet.
QByteArray enquiryReply();
// The terminal's identification: B Plus supported.
QByteArray interrogationReply();

} // namespace BPlus
