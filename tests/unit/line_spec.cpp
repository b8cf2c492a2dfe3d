#include <QCommandLineParser>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/line/LineSpec.h"

// The line options a tool reads in one call, and the port they open.
class LineSpecTest : public QObject {
    Q_OBJECT
private:
    static bool parse(const QStringList &arguments, LineSpec *spec, QString *error)
    {
        QCommandLineParser parser;
        LineOptions::add(parser);
        if (!parser.parse(QStringList{QStringLiteral("tool")} + arguments)) {
            *error = parser.errorText();
            return false;
        }
        return LineOptions::read(parser, spec, error);
    }

private slots:
    void options_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("where"); // device, COM number or host:port
        QTest::addColumn<QString>("settings"); // baud parity bits stop hw sw telnet

        const auto row = [](const char *name, const QString &arguments, LineSpec::Kind kind,
                             const QString &where, const QString &settings) {
            QTest::newRow(name) << arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts) << int(kind) << where
                                << settings;
        };
        row("standard input and output", QString(), LineSpec::Kind::None, QString(), "9600 0 8 1 0 0 1");
        row("device with defaults", "--serial /dev/ttyUSB0", LineSpec::Kind::Serial, "/dev/ttyUSB0",
            "9600 0 8 1 0 0 1");
        row("COM number", "--serial com34", LineSpec::Kind::Serial, "COM34", "9600 0 8 1 0 0 1");
        row("7E2 with hardware flow",
            "--serial /dev/ttyS1 --baud 2400 --parity even --data-bits 7 --stop-bits 2 --flow rtscts",
            LineSpec::Kind::Serial, "/dev/ttyS1", "2400 2 7 2 10 0 1");
        row("software flow, mark parity", "--serial /dev/ttyS1 --parity MARK --flow xonxoff",
            LineSpec::Kind::Serial, "/dev/ttyS1", "9600 3 8 1 0 3 1");
        row("telnet host", "--tcp bbs.example:23", LineSpec::Kind::Tcp, "bbs.example:23", "9600 0 8 1 0 0 1");
        row("IPv6 bare", "--tcp ::1:2323", LineSpec::Kind::Tcp, "::1:2323", "9600 0 8 1 0 0 1");
        row("IPv6 in brackets, raw", "--tcp [::1]:2323 --raw", LineSpec::Kind::Tcp, "::1:2323",
            "9600 0 8 1 0 0 0");
        row("listen on any port", "--listen 0", LineSpec::Kind::Listen, ":0", "9600 0 8 1 0 0 1");
    }
    void options()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, kind);
        QFETCH(QString, where);
        QFETCH(QString, settings);
        LineSpec spec;
        QString error;
        QVERIFY2(parse(arguments, &spec, &error), qPrintable(error));
        QCOMPARE(int(spec.kind), kind);
        const QString place = spec.kind == LineSpec::Kind::Serial
            ? (spec.device.isEmpty() ? QStringLiteral("COM%1").arg(spec.comNumber) : spec.device)
            : spec.kind == LineSpec::Kind::None ? QString()
                                                : QStringLiteral("%1:%2").arg(spec.host).arg(spec.port);
        QCOMPARE(place, where);
        const SerialSettings &s = spec.serial;
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                     .arg(s.baud)
                     .arg(s.parity)
                     .arg(s.dataBits)
                     .arg(s.stopBits)
                     .arg(s.hardwareFlow)
                     .arg(int(s.softwareFlow))
                     .arg(int(spec.telnet)),
            settings);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("two lines") << "--serial /dev/ttyS0 --tcp h:1"
                                   << "give only one of";
        QTest::newRow("COM out of range") << "--serial COM97"
                                          << "numbered 1 to 96";
        QTest::newRow("parity word") << "--serial x --parity evn"
                                     << "--parity wants none, odd, even, mark or space";
        QTest::newRow("flow word") << "--serial x --flow dtr"
                                   << "--flow wants none, rtscts or xonxoff";
        QTest::newRow("data bits") << "--serial x --data-bits 9"
                                   << "--data-bits wants a number from 5 to 8";
        QTest::newRow("no port") << "--tcp host"
                                 << "--tcp wants HOST:PORT";
        QTest::newRow("port zero") << "--tcp host:0"
                                   << "--tcp wants HOST:PORT";
        QTest::newRow("empty brackets") << "--tcp []:23"
                                        << "--tcp wants HOST:PORT";
        QTest::newRow("listen port") << "--listen 70000"
                                     << "--listen wants a number from 0 to 65535";
    }
    void refused()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        LineSpec spec;
        QString error;
        QVERIFY(!parse(arguments.split(QLatin1Char(' ')), &spec, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // The port is the line's own: a COM number goes through the device
    // table, its errors are the serial layer's, and a listener takes a port.
    void opens()
    {
        LineSpec spec;
        spec.kind = LineSpec::Kind::Serial;
        spec.comNumber = 7;
        try {
            openLine(spec, [](int n) { return QStringLiteral("/nonexistent/tty%1").arg(n); });
            QFAIL("opened a missing device");
        } catch (const ComportError &error) {
            QCOMPARE(error.code(), ComportCode::DeviceMissing);
            QVERIFY2(
                error.message().contains(QStringLiteral("/nonexistent/tty7")), qPrintable(error.message()));
        }
        LineSpec listen;
        listen.kind = LineSpec::Kind::Listen;
        const auto port = openLine(listen);
        QVERIFY(port->isOpen());
        QVERIFY(port->listeningPort() != 0);
        QCOMPARE(port->deviceLayer(), DeviceLayer::Socket);
    }
};

QTEST_GUILESS_MAIN(LineSpecTest)
#include "line_spec.moc"
