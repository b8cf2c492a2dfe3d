#include <QTest>

#include "sessions/StartupCommand.h"

using Step = StartupPlan::Step;

// The program's parameters, read into the plan the main window carries out.
class StartupCommandTest : public QObject {
    Q_OBJECT
private:
    static QString names(const QList<Step> &steps)
    {
        static const QMap<Step, QString> name{
            {Step::ConnectHost, QStringLiteral("ConnectHost")},
            {Step::CannotConnect, QStringLiteral("CannotConnect")},
            {Step::DialEntry, QStringLiteral("DialEntry")},
            {Step::OpenPort, QStringLiteral("OpenPort")},
            {Step::ConnectTcp, QStringLiteral("ConnectTcp")},
            {Step::RunScript, QStringLiteral("RunScript")},
            {Step::AutoStart, QStringLiteral("AutoStart")},
        };
        QStringList result;
        for (const Step step : steps)
            result << name.value(step);
        return result.join(QLatin1Char(' '));
    }

    static QString form(StartupPlan::Form form)
    {
        switch (form) {
        case StartupPlan::Form::None:
            return QStringLiteral("none");
        case StartupPlan::Form::Url:
            return QStringLiteral("url");
        case StartupPlan::Form::Telnet:
            return QStringLiteral("telnet");
        case StartupPlan::Form::Switches:
            return QStringLiteral("switches");
        }
        return QString();
    }

    // "COM2 9600", "/dev/ttyUSB0 38400", or empty for no port.
    static QString serial(const LineSpec &line)
    {
        if (line.kind != LineSpec::Kind::Serial)
            return QString();
        const QString where
            = line.device.isEmpty() ? QStringLiteral("COM%1").arg(line.comNumber) : line.device;
        return QStringLiteral("%1 %2").arg(where).arg(line.serial.baud);
    }

    static QString tcp(const LineSpec &line)
    {
        return line.kind == LineSpec::Kind::Tcp ? QStringLiteral("%1:%2").arg(line.host).arg(line.port)
                                                : QString();
    }

private slots:
    // Links and the telnet form: what is shown, where it connects, and
    // whether the host needs a look-up by name.
    void hosts_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("byName");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("steps");

        const QString telnet = QStringLiteral("telnet");
        const QString netscape = QStringLiteral("NetScape 4");
        const QString explorer = QStringLiteral("Internet Explorer");
        const auto row = [&](const char *name, const QStringList &arguments, const QString &form,
                             const QStringList &notices, const QString &host, bool byName,
                             const QString &port, const QString &steps) {
            QTest::newRow(name) << arguments << form << notices << host << byName << port << steps;
        };
        const auto link = [&](const char *name, const QString &url, const QStringList &middle,
                              const QString &host, bool byName, const QString &port) {
            row(name, {url}, "url", QStringList{url} + middle + QStringList{host}, host, byName, port,
                "ConnectHost");
        };

        row("no parameters", {}, "none", {}, "", false, telnet, "AutoStart");
        link("bare link", "telnet://bbs.example", {}, "bbs.example", true, telnet);
        link("port after a colon, trimmed", "telnet://bbs.example: 2323", {netscape}, "bbs.example", true,
            "2323");
        link("closing slash", "telnet://bbs.example:2323/", {explorer}, "bbs.example", true, "2323");
        link("text before @ stays", "telnet://guest@bbs.example", {}, "guestbbs.example", true, telnet);
        link("only the first @ goes", "telnet://a@b@c:23", {netscape}, "ab@c", true, "23");
        link("digit first: numeric", "telnet://10.0.0.5:23/", {explorer}, "10.0.0.5", false, "23");
        link("path cut from the host", "telnet://bbs.example/board", {}, "bbs.example", true, telnet);
        link("empty port is telnet", "telnet://bbs.example:", {netscape}, "bbs.example", true, telnet);
        link("closing slash after a bare colon", "telnet://h/:", {explorer}, "h", true, telnet);
        row("third parameter is the port", {"telnet://bbs.example:23", "x", "2323"}, "url",
            {"telnet://bbs.example:23", netscape, "bbs.example"}, "bbs.example", true, "2323", "ConnectHost");
        row("fourth parameter: link's port", {"telnet://bbs.example:23", "x", "2323", "y"}, "url",
            {"telnet://bbs.example:23", netscape, "bbs.example"}, "bbs.example", true, "23", "ConnectHost");
        row("empty third parameter is telnet", {"telnet://bbs.example:99", "x", ""}, "url",
            {"telnet://bbs.example:99", netscape, "bbs.example"}, "bbs.example", true, telnet, "ConnectHost");
        row("link without a host", {"telnet://"}, "url", {"telnet://", ""}, "", false, telnet,
            "CannotConnect");
        row("link with only @", {"telnet://@:23"}, "url", {"telnet://@:23", netscape, ""}, "", false, "23",
            "CannotConnect");

        row("telnet form", {"telnet", "guest@bbs.example"}, "telnet", {netscape}, "guestbbs.example", true,
            telnet, "ConnectHost");
        row("telnet form, numeric, port", {"/usr/bin/telnet", "10.1.1.1", "2323"}, "telnet", {netscape},
            "10.1.1.1", false, "2323", "ConnectHost");
        row("telnet form, empty host", {"telnet", ""}, "telnet", {netscape}, "", false, telnet,
            "CannotConnect");
        row("telnet alone", {"telnet"}, "switches", {}, "", false, telnet, "");
        row("unknown parameter: no auto-start", {"hello"}, "switches", {}, "", false, telnet, "");
        row("empty parameter", {""}, "switches", {}, "", false, telnet, "");
    }
    void hosts()
    {
        QFETCH(QStringList, arguments);
        const StartupPlan plan = StartupCommand::interpret(arguments);
        QTEST(form(plan.form), "form");
        QTEST(plan.notices, "notices");
        QTEST(plan.host, "host");
        QTEST(plan.lookUpHost, "byName");
        QTEST(plan.port, "port");
        QTEST(names(plan.steps), "steps");
    }

    // The switches, their values and defaults, and which of them run.
    void switches_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("tcp");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("steps");

        const auto row
            = [](const char *name, const QStringList &arguments, const QString &entry, const QString &serial,
                  const QString &tcp, const QString &script, const QString &steps) {
                  QTest::newRow(name) << arguments << entry << serial << tcp << script << steps;
              };
        row("lower case -open with baud", {"-open", "2", "9600"}, "", "COM2 9600", "", "", "OpenPort");
        row("-OPEN without baud", {"-OPEN", "3"}, "", "COM3 38400", "", "", "OpenPort");
        row("device path", {"-Open", "/dev/ttyUSB0", "115200"}, "", "/dev/ttyUSB0 115200", "", "",
            "OpenPort");
        row("-START wins over -OPEN", {"-START", "My BBS", "-OPEN", "2"}, "My BBS", "COM2 38400", "", "",
            "DialEntry");
        row("-TCP on port 23", {"-tcp", "bbs.example"}, "", "", "bbs.example:23", "", "ConnectTcp");
        row("-TCP then script", {"-TCP", "bbs.example", "2323", "-Script", "login.scr"}, "", "",
            "bbs.example:2323", "login.scr", "ConnectTcp RunScript");
        row("fixed order", {"-SCRIPT", "a.scr", "-TCP", "h", "-START", "E"}, "E", "", "h:23", "a.scr",
            "DialEntry ConnectTcp RunScript");
        row("opened port is online: no -TCP", {"-TCP", "h", "-OPEN", "2", "-SCRIPT", "s"}, "", "COM2 38400",
            "h:23", "s", "OpenPort RunScript");
        row("values as typed", {"-START", " Mixed Case "}, " Mixed Case ", "", "", "", "DialEntry");

        row("-OPEN alone", {"-OPEN"}, "", "", "", "", "");
        row("-OPEN with a word", {"-OPEN", "x", "9600"}, "", "", "", "", "");
        row("-OPEN with an empty value", {"-OPEN", "", "9600"}, "", "", "", "", "");
        row("-OPEN 0 is no port", {"-OPEN", "0"}, "", "", "", "", "");
        row("-OPEN beyond the COM numbers", {"-OPEN", "97"}, "", "", "", "", "");
        row("-OPEN negative", {"-OPEN", "-1", "9600"}, "", "", "", "", "");
        row("word for baud", {"-OPEN", "2", "fast"}, "", "COM2 38400", "", "", "OpenPort");
        row("baud overflows", {"-OPEN", "2", "99999999999"}, "", "COM2 38400", "", "", "OpenPort");
        row("baud zero", {"-OPEN", "2", "0"}, "", "COM2 38400", "", "", "OpenPort");
        row("switch is no value", {"-OPEN", "2", "-SCRIPT", "s"}, "", "COM2 38400", "", "s",
            "OpenPort RunScript");
        row("-START without a name", {"-START", "-OPEN", "2"}, "", "COM2 38400", "", "", "OpenPort");
        row("-START with an empty name", {"-START", "", "-OPEN", "2"}, "", "COM2 38400", "", "", "OpenPort");
        row("-TCP port out of range", {"-TCP", "h", "70000"}, "", "", "h:23", "", "ConnectTcp");
        row("-TCP without a host", {"-TCP"}, "", "", "", "", "");
        row("last of a repeated switch", {"-OPEN", "2", "-OPEN", "x"}, "", "", "", "", "");
    }
    void switches()
    {
        QFETCH(QStringList, arguments);
        const StartupPlan plan = StartupCommand::interpret(arguments);
        QCOMPARE(plan.form, StartupPlan::Form::Switches);
        QVERIFY(plan.notices.isEmpty());
        QTEST(plan.entryName, "entry");
        QTEST(serial(plan.serialLine), "serial");
        QTEST(tcp(plan.tcpLine), "tcp");
        QTEST(plan.scriptName, "script");
        QTEST(names(plan.steps), "steps");
    }
};

QTEST_GUILESS_MAIN(StartupCommandTest)
#include "startup_command.moc"
