#include "sessions/SerialLineSetup.h"

#include "comms/line/Comport.h"
#include "sessions/PhonebookEntry.h"
#include "shell/TLog.h"

#include <array>

namespace SerialLineSetup {

namespace {

// Stored as rate / 10 in 16-bit words, as the settings have always held it.
constexpr std::array<quint16, 10> baudTable{30, 60, 120, 240, 480, 960, 1920, 3840, 5760, 11520};

int flag(const PhonebookEntry &entry, PhoneField field)
{
    return entry.get(field) == QLatin1String("1");
}

} // namespace

int baudRate(int index)
{
    return baudTable[std::size_t(qBound(0, index, int(baudTable.size()) - 1))] * 10;
}

ComportParameters fromEntry(const PhonebookEntry &entry)
{
    ComportParameters line;
    line.baudIndex = entry.get(PhoneField::baud).toInt();
    line.parity = entry.get(PhoneField::Parity).toInt();
    line.dataBitsIndex = entry.get(PhoneField::Data).toInt();
    line.stopBitsIndex = entry.get(PhoneField::Stop).toInt();
    line.dtrDsr = flag(entry, PhoneField::DTRDSR);
    line.rtsCts = flag(entry, PhoneField::RTSCTS);
    line.swTransmit = flag(entry, PhoneField::SWTrans);
    line.swReceive = flag(entry, PhoneField::SWRec);
    line.xon = entry.get(PhoneField::Xon);
    line.xoff = entry.get(PhoneField::Xoff);
    return line;
}

void apply(Comport &port, TLog &log, const ComportParameters &line, const QString &bothFlowLog)
{
    const int baud = baudRate(line.baudIndex);
    port.setBaud(baud);
    log.write(QStringLiteral("Baud=%1").arg(baud));
    const int parity = qBound(0, line.parity, 4);
    port.setParity(parity);
    log.write(QStringLiteral("Parity=%1").arg(parity));
    const int dataBits = 8 - qBound(0, line.dataBitsIndex, 3);
    port.setDataBits(dataBits);
    log.write(QStringLiteral("Databits=%1").arg(dataBits));
    const int stopBits = qBound(0, line.stopBitsIndex, 1) + 1;
    port.setStopBits(stopBits);
    log.write(QStringLiteral("Stopbits=%1").arg(stopBits));

    // Bits: use DTR 1, use RTS 2, require DSR 4, require CTS 8.
    int hardware = 0;
    if (line.dtrDsr) {
        hardware |= 1 | 4;
        log.write(QStringLiteral("DTR/DSR"));
    }
    if (line.rtsCts) {
        hardware |= 2 | 8;
        log.write(QStringLiteral("RTS/CTS"));
    }
    port.setHardwareFlow(hardware);

    SoftwareFlow software = SoftwareFlow::None;
    if (line.swTransmit && line.swReceive) {
        software = SoftwareFlow::Both;
        log.write(bothFlowLog);
    } else if (line.swTransmit) {
        software = SoftwareFlow::Transmit;
        log.write(QStringLiteral("SFC=Transmit"));
    } else if (line.swReceive) {
        software = SoftwareFlow::Receive;
        log.write(QStringLiteral("SFC=Receive"));
    }
    port.setSoftwareFlow(software);
    port.setXoffChar(char(line.xoff.toInt()));
    log.write(QStringLiteral("Xoff=") + line.xoff);
    port.setXonChar(char(line.xon.toInt()));
    log.write(QStringLiteral("Xon=") + line.xon);
}

} // namespace SerialLineSetup
