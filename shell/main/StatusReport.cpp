#include "shell/main/StatusReport.h"

#include "comms/line/Comport.h"
#include "comms/ui/Terminal.h"
#include "terminal/KeyboardSettings.h"

namespace {

QString yesNo(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

QString pick(const QStringList &names, int index)
{
    return names.value(index, QString::number(index));
}

} // namespace

QList<StatusLine> statusReport(const Comport &port, Terminal &terminal, const KeyboardSettings &keyboard)
{
    const SerialSettings &serial = port.serialSettings();
    const KeyEmu &keys = terminal.keyEmu();
    const auto number = [](qint64 value) { return QString::number(value); };
    const auto hardware = [&serial](int bit) { return yesNo(serial.hardwareFlow & bit); };
    return {
        {QStringLiteral("Comport"), number(port.comNumber())},
        {QStringLiteral("Baud"), number(serial.baud)},
        {QStringLiteral("Data bits"), number(serial.dataBits)},
        {QStringLiteral("Stop Bits"), number(serial.stopBits)},
        {QStringLiteral("Parity"),
            pick({QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even"),
                     QStringLiteral("Mark"), QStringLiteral("Space")},
                serial.parity)},
        {QStringLiteral("Terminal Emulation"),
            pick({QStringLiteral("None"), QStringLiteral("ANSI"), QStringLiteral("VT52"),
                     QStringLiteral("VT100"), QStringLiteral("ANSIBBS"), QStringLiteral("VT220")},
                terminal.termemu().emulation())},
        {QStringLiteral("Keyboard Emulation"), keys.emulation()},
        {QStringLiteral("Terminal Rows"), number(terminal.visibleRows())},
        {QStringLiteral("Terminal Columns"), number(terminal.visibleColumns())},
        {QStringLiteral("Keyboard Process Extended"), yesNo(keys.processExtended())},
        {QStringLiteral("Keyborad Process All"), yesNo(keys.processAll())},
        {QStringLiteral("Map F Keys"), yesNo(keyboard.mapF)},
        {QStringLiteral("CR=CR+LF"), yesNo(keyboard.addLf)},
        {QStringLiteral("CR=LF+CR"), yesNo(keyboard.addCr)},
        {QStringLiteral("Doorway"), yesNo(terminal.doorway())},
        {QStringLiteral("In Buffer"), number(Comport::bufferSize)},
        {QStringLiteral("Out Buff"), number(Comport::bufferSize)},
        {QStringLiteral("Software Flow Control"),
            pick({QStringLiteral("None"), QStringLiteral("Receive"), QStringLiteral("Transmit"),
                     QStringLiteral("Both")},
                int(serial.softwareFlow))},
        // A heading over the four hardware flow bits.
        {QStringLiteral("Hardware Flow Control"), QString(), true},
        {QStringLiteral("Use DTR"), hardware(HardwareFlow::UseDtr)},
        {QStringLiteral("Use RTS"), hardware(HardwareFlow::UseRts)},
        {QStringLiteral("Require DSR"), hardware(HardwareFlow::RequireDsr)},
        {QStringLiteral("Require CTS"), hardware(HardwareFlow::RequireCts)},
        {QStringLiteral("Buffer Full"), number(port.bufferFull())},
        {QStringLiteral("Buffer Resume"), number(port.bufferResume())},
    };
}
