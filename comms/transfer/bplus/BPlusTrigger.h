#pragma once

#include <QByteArray>

// What the terminal does with the B+ start sequences it watches for while
// B+ detection is on.
namespace BPlus {

enum class Trigger {
    None,
    Enquiry, // ENQ: answer enquiryReply() and stay in terminal mode
    Packet, // DLE: the host sends a packet; hand the line to the engine
    Interrogation, // ESC 'I': answer interrogationReply()
};

// The start sequence at the beginning of `bytes`, if any.
Trigger classifyTrigger(const QByteArray &bytes);

// DLE '+' '+' DLE '0': ready for B+ with sequence 0.
QByteArray enquiryReply();
// The terminal's identification: B Plus supported.
QByteArray interrogationReply();

} // namespace BPlus
