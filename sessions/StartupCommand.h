#pragma once

#include "comms/line/LineSpec.h"

#include <QList>
#include <QString>
#include <QStringList>

// How the session starts, as the program's parameters ask. The window shows
// the notices, then runs the steps in order.
struct StartupPlan {
    enum class Form {
        None, // no parameters at all
        Url, // a link such as telnet://host:port/ handed over by a browser
        Telnet, // "telnet" then the host, as older browsers call it
        Switches, // -START, -OPEN, -SCRIPT, -TCP (also when none of them is given)
    };

    enum class Step {
        // Url and Telnet forms: host is taken as the address, or looked up by
        // name when lookUpHost; "0.0.0.0" gives the error box "Cannot connect",
        // any other address a TCP client connection to port.
        ConnectHost,
        // A link that names no host: the error box "Cannot connect".
        CannotConnect,
        // Dial entryName when the phonebook holds it.
        DialEntry,
        // Open serialLine; when that fails, no later step runs.
        OpenPort,
        // Skipped while online (a dial that connected already). Look tcpLine's
        // host up; "0.0.0.0" gives the notice "Cannot connect" and no later
        // step runs; otherwise connect as a TCP client.
        ConnectTcp,
        // Start scriptName from the script folder when it exists there.
        RunScript,
        // Dial the configured auto-start session when the phonebook holds it.
        AutoStart,
    };

    Form form = Form::None;
    QStringList notices; // terminal notices, in order
    QString host;
    bool lookUpHost = false; // false: host is used as a numeric address
    QString port = QStringLiteral("telnet"); // a number or a service name
    QString entryName; // -START
    // -OPEN: Serial with a COM number or a device path, and the baud rate; the
    // port's other settings stay as they are. Kind None when no port is given.
    LineSpec serialLine;
    LineSpec tcpLine; // -TCP: Tcp with host and port; None when not given
    QString scriptName; // -SCRIPT, relative to the script folder
    QList<Step> steps;
};

// Reads the program's parameters (without the program name). Never fails:
// what cannot be used is left out of the plan.
namespace StartupCommand {

inline constexpr qint32 defaultBaud = 38400;
inline constexpr quint16 defaultTcpPort = 23;

StartupPlan interpret(const QStringList &arguments);

// A host written with a leading letter ("A" to "z") is a name to look up;
// anything else is used as an address.
bool isHostName(const QString &host);

} // namespace StartupCommand
