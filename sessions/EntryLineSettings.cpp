#include "sessions/EntryLineSettings.h"

#include "sessions/PhonebookEntry.h"
#include "sessions/SerialLineSetup.h"

namespace EntryLineSettings {

namespace {

int listItem(const PhonebookEntry &entry, PhoneField field, int stored)
{
    const QString text = entry.get(field);
    if (!text.isEmpty() && text.at(0).isDigit())
        return stored;
    return PhonebookEntry::newEntry().get(field).toInt();
}

QString digit(int item)
{
    return QString::number(qBound(0, item, 9));
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

ComportParameters parameters(const PhonebookEntry &entry)
{
    ComportParameters line = SerialLineSetup::fromEntry(entry);
    line.baudIndex = listItem(entry, PhoneField::baud, line.baudIndex);
    line.parity = listItem(entry, PhoneField::Parity, line.parity);
    line.dataBitsIndex = listItem(entry, PhoneField::Data, line.dataBitsIndex);
    line.stopBitsIndex = listItem(entry, PhoneField::Stop, line.stopBitsIndex);
    line.init = entry.get(PhoneField::Init);
    line.dialCommand = entry.get(PhoneField::DialCmd);
    return line;
}

void store(PhonebookEntry &entry, const ComportParameters &parameters)
{
    entry.set(PhoneField::baud, digit(parameters.baudIndex));
    entry.set(PhoneField::Parity, digit(parameters.parity));
    entry.set(PhoneField::Data, digit(parameters.dataBitsIndex));
    entry.set(PhoneField::Stop, digit(parameters.stopBitsIndex));
    entry.set(PhoneField::DTRDSR, flag(parameters.dtrDsr));
    entry.set(PhoneField::RTSCTS, flag(parameters.rtsCts));
    entry.set(PhoneField::SWTrans, flag(parameters.swTransmit));
    entry.set(PhoneField::SWRec, flag(parameters.swReceive));
    entry.set(PhoneField::Xon, parameters.xon);
    entry.set(PhoneField::Xoff, parameters.xoff);
    entry.set(PhoneField::Init, parameters.init);
    entry.set(PhoneField::DialCmd,
        parameters.dialCommand.isEmpty() ? QStringLiteral("ATDT") : parameters.dialCommand);
}

void chooseDevice(PhonebookEntry &entry, const DeviceEntry &device)
{
    entry.set(PhoneField::Device, device.name);
    entry.set(PhoneField::Port, QString::number(device.number));
}

} // namespace EntryLineSettings
