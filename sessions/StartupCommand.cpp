#include "sessions/StartupCommand.h"

#include "comms/line/ComDevices.h"

namespace {

using Step = StartupPlan::Step;

const QString startSwitch = QStringLiteral("-START");
const QString openSwitch = QStringLiteral("-OPEN");
const QString scriptSwitch = QStringLiteral("-SCRIPT");
const QString tcpSwitch = QStringLiteral("-TCP");

constexpr qint32 lowestBaud = 50;
constexpr qint32 highestBaud = 4000000;

void deleteFirstAt(QString *text)
{
    const qsizetype at = text->indexOf(QLatin1Char('@'));
    if (at >= 0)
        text->remove(at, 1);
}

// An empty port (a link ending in ":", an empty third parameter) means the
// service "telnet", as no port at all does.
void setPort(StartupPlan *plan, const QString &port)
{
    const QString trimmed = port.trimmed();
    plan->port = trimmed.isEmpty() ? QStringLiteral("telnet") : trimmed;
}

// Names start with a letter; anything before "A" or after "z" (a digit, a
// colon) is taken as a numeric address. An empty host cannot be connected.
void planHost(const QStringList &arguments, StartupPlan *plan)
{
    if (arguments.size() == 3)
        setPort(plan, arguments.at(2));
    if (plan->host.isEmpty()) {
        plan->steps = {Step::CannotConnect};
        return;
    }
    plan->lookUpHost = StartupCommand::isHostName(plan->host);
    plan->steps = {Step::ConnectHost};
}

void readLink(const QStringList &arguments, StartupPlan *plan)
{
    const QString &link = arguments.first();
    plan->form = StartupPlan::Form::Url;
    plan->notices << link;
    QString text = link.mid(link.indexOf(QStringLiteral("//")) + 2);
    deleteFirstAt(&text);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        plan->host = text;
    } else {
        if (text.contains(QLatin1Char('/'))) {
            plan->notices << QStringLiteral("Internet Explorer");
            text.chop(1); // the closing "/"
        } else {
            plan->notices << QStringLiteral("NetScape 4");
        }
        plan->host = text.left(colon);
        setPort(plan, text.mid(colon + 1));
    }
    const qsizetype slash = plan->host.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        plan->host.truncate(slash);
    plan->notices << plan->host;
    planHost(arguments, plan);
}

void readTelnet(const QStringList &arguments, StartupPlan *plan)
{
    plan->form = StartupPlan::Form::Telnet;
    plan->host = arguments.at(1);
    deleteFirstAt(&plan->host);
    plan->notices << QStringLiteral("NetScape 4");
    planHost(arguments, plan);
}

bool isSwitch(const QString &argument)
{
    const QString name = argument.toUpper();
    return name == startSwitch || name == openSwitch || name == scriptSwitch || name == tcpSwitch;
}

// A COM number from 1 up, or a device path; anything else names no port.
LineSpec serialLine(const QString &where, const QString &baud)
{
    LineSpec line;
    bool numeric = false;
    const int number = where.toInt(&numeric);
    if (numeric && number >= 1 && number <= ComDevices::maxComNumber) {
        line.kind = LineSpec::Kind::Serial;
        line.comNumber = number;
    } else if (where.startsWith(QLatin1Char('/'))) {
        line.kind = LineSpec::Kind::Serial;
        line.device = where;
    } else {
        return line;
    }
    // A baud rate that is not a plain number in range keeps the default.
    const int rate = baud.toInt(&numeric);
    line.serial.baud
        = numeric && rate >= lowestBaud && rate <= highestBaud ? rate : StartupCommand::defaultBaud;
    return line;
}

// The port keeps 23 unless a number from 1 to 65535 follows the host.
LineSpec tcpLine(const QString &host, const QString &port)
{
    LineSpec line;
    if (host.isEmpty())
        return line;
    line.kind = LineSpec::Kind::Tcp;
    line.host = host;
    bool numeric = false;
    const uint number = port.toUInt(&numeric);
    line.port = numeric && number >= 1 && number <= 65535 ? quint16(number) : StartupCommand::defaultTcpPort;
    return line;
}

// Every parameter is compared with the switches; the ones after a switch
// are its values, unless they are switches themselves. A switch given twice
// counts as it was given last.
void readSwitches(const QStringList &arguments, StartupPlan *plan)
{
    plan->form = StartupPlan::Form::Switches;
    const auto value = [&arguments](qsizetype at) {
        const QString text = arguments.value(at);
        return isSwitch(text) ? QString() : text;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString name = arguments.at(i).toUpper();
        if (name == startSwitch)
            plan->entryName = value(i + 1);
        else if (name == openSwitch)
            plan->serialLine = serialLine(value(i + 1), value(i + 2));
        else if (name == scriptSwitch)
            plan->scriptName = value(i + 1);
        else if (name == tcpSwitch)
            plan->tcpLine = tcpLine(value(i + 1), value(i + 2));
    }
    if (!plan->entryName.isEmpty())
        plan->steps << Step::DialEntry;
    const bool opening = plan->entryName.isEmpty() && plan->serialLine.kind == LineSpec::Kind::Serial;
    if (opening)
        plan->steps << Step::OpenPort;
    // An opened port is online and a failed one ends the plan, so -TCP can
    // only follow a dial or nothing.
    if (!opening && plan->tcpLine.kind == LineSpec::Kind::Tcp)
        plan->steps << Step::ConnectTcp;
    if (!plan->scriptName.isEmpty())
        plan->steps << Step::RunScript;
}

} // namespace

namespace StartupCommand {

StartupPlan interpret(const QStringList &arguments)
{
    StartupPlan plan;
    if (arguments.isEmpty())
        plan.steps << Step::AutoStart;
    else if (arguments.first().contains(QStringLiteral("//")))
        readLink(arguments, &plan);
    else if (arguments.size() >= 2 && arguments.first().contains(QStringLiteral("telnet")))
        readTelnet(arguments, &plan);
    else
        readSwitches(arguments, &plan);
    return plan;
}

bool isHostName(const QString &host)
{
    const QChar first = host.isEmpty() ? QChar() : host.front();
    return first >= QLatin1Char('A') && first <= QLatin1Char('z');
}

} // namespace StartupCommand
