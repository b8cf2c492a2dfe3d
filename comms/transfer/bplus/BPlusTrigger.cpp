#include "comms/transfer/bplus/BPlusTrigger.h"

#include "comms/transfer/bplus/BPlusPacket.h"

namespace BPlus {

Trigger classifyTrigger(const QByteArray &bytes)
{
    if (bytes.startsWith(ENQ))
        return Trigger::Enquiry;
    if (bytes.startsWith(DLE))
        return Trigger::Packet;
    if (bytes.size() >= 2 && bytes[0] == ESC && bytes[1] == 'I')
        return Trigger::Interrogation;
    return Trigger::None;
}

QByteArray enquiryReply()
{
    const char reply[] = {DLE, '+', '+', DLE, '0'};
    return QByteArray(reply, sizeof reply);
}

QByteArray interrogationReply()
{
    return QByteArrayLiteral("#TNX,PB,DT\r");
}

} // namespace BPlus
