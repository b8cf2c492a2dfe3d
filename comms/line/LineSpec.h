#pragma once

#include "comms/line/ComDevices.h"
#include "comms/line/SerialSettings.h"

#include <QString>

#include <memory>

class Comport;
class QCommandLineParser;

// Where a line goes and how: a serial device (a path or a COM number) with
// its settings, a TCP connection, or a port to listen on; telnet unless raw.
struct LineSpec {
    enum class Kind { None, Serial, Tcp, Listen };

    Kind kind = Kind::None;
    QString device; // serial: a device path, or empty for comNumber
    int comNumber = 0;
    SerialSettings serial;
    QString host; // an address or a name, without brackets
    quint16 port = 0; // Listen: 0 takes any free port
    bool telnet = true;
};

// The line options every command-line tool shares: --serial DEVICE|COMn,
// --baud, --parity, --data-bits, --stop-bits, --flow, --tcp HOST:PORT,
// --listen PORT and --raw.
namespace LineOptions {

void add(QCommandLineParser &parser);
// Fills spec from the parsed options, over the defaults it holds; the kind
// stays None when no line is named. False with a message for the user.
bool read(const QCommandLineParser &parser, LineSpec *spec, QString *error);

} // namespace LineOptions

// A port set up as spec says and opened. Throws ComportError as
// Comport::open does; a socket connects or takes its client afterwards and
// tells by the port's events.
std::unique_ptr<Comport> openLine(const LineSpec &spec, const ComDevices::Override &override = {});
