#include "comms/transfer/TransferTypes.h"

#include <array>

namespace {

struct NamedProtocol {
    ProtocolType type;
    const char *name;
    const char *displayName;
};

constexpr std::array<NamedProtocol, 10> protocolNames{{
    {ProtocolType::Xmodem, "xmodem", "Xmodem"},
    {ProtocolType::XmodemCrc, "xmodem-crc", "Xmodem CRC"},
    {ProtocolType::Xmodem1K, "xmodem-1k", "Xmodem 1K"},
    {ProtocolType::Xmodem1KG, "xmodem-1kg", "Xmodem 1KG"},
    {ProtocolType::Ymodem, "ymodem", "Ymodem"},
    {ProtocolType::YmodemG, "ymodem-g", "YmodemG"},
    {ProtocolType::Zmodem, "zmodem", "Zmodem"},
    {ProtocolType::Kermit, "kermit", "Kermit"},
    {ProtocolType::Ascii, "ascii", "Ascii"},
    {ProtocolType::BPlus, "bplus", "B+"},
}};

} // namespace

bool isBatchProtocol(ProtocolType type)
{
    switch (type) {
    case ProtocolType::Ymodem:
    case ProtocolType::YmodemG:
    case ProtocolType::Zmodem:
    case ProtocolType::Kermit:
        return true;
    default:
        return false;
    }
}

QString protocolName(ProtocolType type)
{
    for (const auto &p : protocolNames)
        if (p.type == type)
            return QString::fromLatin1(p.name);
    return QStringLiteral("none");
}

QString protocolDisplayName(ProtocolType type)
{
    for (const auto &p : protocolNames)
        if (p.type == type)
            return QString::fromLatin1(p.displayName);
    return QStringLiteral("No Default");
}

bool parseProtocolName(const QString &text, ProtocolType *type)
{
    const QString wanted = text.trimmed().toLower();
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    for (const auto &p : protocolNames) {
        if ((isNumber && number == static_cast<int>(p.type)) || wanted == QLatin1String(p.name)) {
            *type = p.type;
            return true;
        }
    }
    return false;
}

QString transferResultText(int code)
{
    switch (code) {
    case TransferResult::Success:
        return QStringLiteral("Transfer complete");
    case TransferResult::CancelledLocally:
        return QStringLiteral("Transfer cancelled");
    case TransferResult::CancelledByRemote:
        return QStringLiteral("Transfer cancelled by the remote side");
    case TransferResult::TimedOut:
        return QStringLiteral("Timed out waiting for the remote side");
    case TransferResult::TooManyErrors:
        return QStringLiteral("Too many errors");
    case TransferResult::FileNotFound:
        return QStringLiteral("File not found");
    case TransferResult::CannotCreate:
        return QStringLiteral("Cannot create the file");
    case TransferResult::CannotWrite:
        return QStringLiteral("Cannot write the file");
    case TransferResult::DiskFull:
        return QStringLiteral("Disk full");
    case TransferResult::CarrierLost:
        return QStringLiteral("Carrier lost");
    case TransferResult::Skipped:
        return QStringLiteral("File skipped");
    case TransferResult::ProtocolError:
        return QStringLiteral("Protocol error");
    case TransferResult::FileRejected:
        return QStringLiteral("File rejected");
    case TransferResult::NotReady:
        return QStringLiteral("No protocol selected or a transfer is already running");
    default:
        return QStringLiteral("Transfer error %1").arg(code);
    }
}
