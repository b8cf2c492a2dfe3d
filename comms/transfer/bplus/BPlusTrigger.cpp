#include "comms/transfer/bplus/BPlusTrigger.h"

#include "comms/transfer/bplus/BPlusPacket.h"

namespace BPlus {

QByteArray triggerBytes(char trigger)
{
    if (trigger == 'I') {
        const char interrogation[] = {ESC, 'I'};
        return QByteArray(interrogation, sizeof interrogation);
    }
    return QByteArray(1, trigger);
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
