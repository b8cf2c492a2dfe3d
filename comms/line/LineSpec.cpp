#include "comms/line/LineSpec.h"

#include "comms/line/Comport.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

const QString serialOption = QStringLiteral("serial");
const QString tcpOption = QStringLiteral("tcp");
const QString listenOption = QStringLiteral("listen");

bool readNumber(
    const QCommandLineParser &parser, const QString &name, int low, int high, int *value, QString *error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int number = parser.value(name).toInt(&ok);
    if (!ok || number < low || number > high) {
        *error = QStringLiteral("--%1 wants a number from %2 to %3, not \"%4\"")
                     .arg(name)
                     .arg(low)
                     .arg(high)
                     .arg(parser.value(name));
        return false;
    }
    *value = number;
    return true;
}

// One of the words, by its place in the list; -1 for none of them.
int readWord(const QCommandLineParser &parser, const QString &name, const QStringList &words, QString *error)
{
    const QString given = parser.value(name).trimmed().toLower();
    const int index = static_cast<int>(words.indexOf(given));
    if (index < 0) {
        const QStringList head = words.mid(0, words.size() - 1);
        *error = QStringLiteral("--%1 wants %2 or %3, not \"%4\"")
                     .arg(name, head.join(QStringLiteral(", ")), words.last(), parser.value(name));
    }
    return index;
}

bool readSerial(const QCommandLineParser &parser, LineSpec *spec, QString *error)
{
    SerialSettings &serial = spec->serial;
    if (!readNumber(parser, QStringLiteral("baud"), 50, 4000000, &serial.baud, error)
        || !readNumber(parser, QStringLiteral("data-bits"), 5, 8, &serial.dataBits, error)
        || !readNumber(parser, QStringLiteral("stop-bits"), 1, 2, &serial.stopBits, error))
        return false;
    if (parser.isSet(QStringLiteral("parity"))) {
        const int parity = readWord(parser, QStringLiteral("parity"),
            {QStringLiteral("none"), QStringLiteral("odd"), QStringLiteral("even"), QStringLiteral("mark"),
                QStringLiteral("space")},
            error);
        if (parity < 0)
            return false;
        serial.parity = parity;
    }
    if (parser.isSet(QStringLiteral("flow"))) {
        const int flow = readWord(parser, QStringLiteral("flow"),
            {QStringLiteral("none"), QStringLiteral("rtscts"), QStringLiteral("xonxoff")}, error);
        if (flow < 0)
            return false;
        serial.hardwareFlow = flow == 1 ? HardwareFlow::UseRts | HardwareFlow::RequireCts : 0;
        serial.softwareFlow = flow == 2 ? SoftwareFlow::Both : SoftwareFlow::None;
    }
    if (!parser.isSet(serialOption))
        return true;
    spec->kind = LineSpec::Kind::Serial;
    const QString device = parser.value(serialOption).trimmed();
    static const QRegularExpression com(
        QStringLiteral("^COM(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(device);
    if (!match.hasMatch()) {
        if (device.isEmpty()) {
            *error = QStringLiteral("--serial wants a device path or COMn");
            return false;
        }
        spec->device = device;
        return true;
    }
    const int number = match.captured(1).toInt();
    if (number < 1 || number > ComDevices::maxComNumber) {
        *error = QStringLiteral("--serial: COM ports are numbered 1 to %1").arg(ComDevices::maxComNumber);
        return false;
    }
    spec->device.clear();
    spec->comNumber = number;
    return true;
}

// HOST:PORT, where an IPv6 address may be written bare (::1:2323) or in
// brackets as URLs write it ([::1]:2323).
bool readTarget(const QString &target, LineSpec *spec, QString *error)
{
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = colon > 0 ? target.mid(colon + 1).toUInt(&ok) : 0;
    QString host = colon > 0 ? target.left(colon) : QString();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (!ok || port == 0 || port > 65535 || host.isEmpty() || host.contains(QLatin1Char('['))
        || host.contains(QLatin1Char(']'))) {
        *error = QStringLiteral("--tcp wants HOST:PORT, not \"%1\"").arg(target);
        return false;
    }
    spec->kind = LineSpec::Kind::Tcp;
    spec->host = host;
    spec->port = static_cast<quint16>(port);
    return true;
}

} // namespace

namespace LineOptions {

void add(QCommandLineParser &parser)
{
    parser.addOptions({
        {serialOption,
            QStringLiteral("Use the serial device DEVICE (a path, or COM1-COM%1).")
                .arg(ComDevices::maxComNumber),
            QStringLiteral("DEVICE")},
        {QStringLiteral("baud"), QStringLiteral("Serial speed."), QStringLiteral("N")},
        {QStringLiteral("parity"), QStringLiteral("Serial parity: none, odd, even, mark or space."),
            QStringLiteral("P")},
        {QStringLiteral("data-bits"), QStringLiteral("Serial data bits, 5-8."), QStringLiteral("N")},
        {QStringLiteral("stop-bits"), QStringLiteral("Serial stop bits, 1 or 2."), QStringLiteral("N")},
        {QStringLiteral("flow"), QStringLiteral("Serial flow control: none, rtscts or xonxoff."),
            QStringLiteral("F")},
        {tcpOption, QStringLiteral("Connect to HOST:PORT ([ADDRESS]:PORT for IPv6)."),
            QStringLiteral("HOST:PORT")},
        {listenOption, QStringLiteral("Wait for one connection on PORT (0: any free port)."),
            QStringLiteral("PORT")},
        {QStringLiteral("raw"), QStringLiteral("Plain TCP for --tcp and --listen, no telnet.")},
    });
}

bool read(const QCommandLineParser &parser, LineSpec *spec, QString *error)
{
    const int named
        = int(parser.isSet(serialOption)) + int(parser.isSet(tcpOption)) + int(parser.isSet(listenOption));
    if (named > 1) {
        *error = QStringLiteral("give only one of --serial, --tcp and --listen");
        return false;
    }
    spec->telnet = !parser.isSet(QStringLiteral("raw"));
    if (!readSerial(parser, spec, error))
        return false;
    if (parser.isSet(tcpOption))
        return readTarget(parser.value(tcpOption).trimmed(), spec, error);
    if (parser.isSet(listenOption)) {
        int port = 0;
        if (!readNumber(parser, listenOption, 0, 65535, &port, error))
            return false;
        spec->kind = LineSpec::Kind::Listen;
        spec->port = static_cast<quint16>(port);
    }
    return true;
}

} // namespace LineOptions

std::unique_ptr<Comport> openLine(const LineSpec &spec, const ComDevices::Override &override)
{
    if (spec.kind == LineSpec::Kind::None)
        throw ComportError(ComportCode::BadSetting, Comport::tr("No line is named"));
    auto port = std::make_unique<Comport>();
    if (spec.kind == LineSpec::Kind::Serial) {
        port->setDeviceLayer(DeviceLayer::Serial);
        port->setDeviceOverride(override);
        if (spec.device.isEmpty())
            port->setComNumber(spec.comNumber);
        else
            port->setDevicePath(spec.device);
        const SerialSettings &serial = spec.serial;
        port->setBaud(serial.baud);
        port->setParity(serial.parity);
        port->setDataBits(serial.dataBits);
        port->setStopBits(serial.stopBits);
        port->setHardwareFlow(serial.hardwareFlow);
        port->setSoftwareFlow(serial.softwareFlow);
        port->setXonChar(serial.xon);
        port->setXoffChar(serial.xoff);
    } else {
        const bool server = spec.kind == LineSpec::Kind::Listen;
        port->setDeviceLayer(DeviceLayer::Socket);
        port->setSocketMode(server ? SocketMode::Server : SocketMode::Client);
        port->setSocketAddress(server ? QStringLiteral("0") : spec.host);
        port->setSocketPort(QString::number(spec.port));
        port->setTelnet(spec.telnet);
    }
    port->open();
    return port;
}
