#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "support/LinePeers.h"
#include "support/TestFiles.h"
#include "support/XferTool.h"

#include <unistd.h>

// tarnex-xfer on serial lines (socat pseudo-terminals) opened the line's
// way: its settings, its messages and a transfer to lrzsz.
class XferSerialTest : public QObject {
    Q_OBJECT
private:
    static QStringList waitingReceiver(const QString &device, const QString &dir)
    {
        return {QStringLiteral("receive"), QStringLiteral("--protocol"), QStringLiteral("xmodem"),
            QStringLiteral("--file"), QStringLiteral("x.bin"), QStringLiteral("--dir"), dir,
            QStringLiteral("--serial"), device};
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(XferTool::path()).isExecutable(), qPrintable(XferTool::path()));
    }

    // What stty sees on the device while tarnex-xfer holds it. A
    // pseudo-terminal takes speed, stop bits and flow; not parity or size.
    void settingsReachTheDevice_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("defaults") << QStringList()
                                  << QStringList{"speed 115200", "-cstopb", "-crtscts", "-ixon", "-ixoff"};
        QTest::newRow("xon/xoff at 9600") << QStringList{"--baud", "9600", "--flow", "xonxoff"}
                                          << QStringList{"speed 9600", "-crtscts", " ixon", " ixoff"};
        QTest::newRow("rts/cts, two stop bits") << QStringList{"--baud", "57600", "--flow", "rtscts",
            "--stop-bits", "2"} << QStringList{"speed 57600", " cstopb", " crtscts", "-ixon"};
    }
    void settingsReachTheDevice()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, shown);
        PtyPair pty;
        QVERIFY(pty.start());
        QTemporaryDir dir;
        QProcess xfer;
        xfer.start(XferTool::path(), waitingReceiver(pty.near(), dir.path()) + options);
        QVERIFY(xfer.waitForStarted());
        // The receiver asks the sender to start once its line is set up.
        QProcess far;
        far.setStandardInputFile(pty.far());
        far.start(QStringLiteral("head"), {QStringLiteral("-c1")});
        QVERIFY(far.waitForFinished(30000));
        const QString settings = XferTool::terminalSettings(pty.near());
        for (const QString &flag : shown)
            QVERIFY2(settings.contains(flag), qPrintable(flag + QStringLiteral(" not in ") + settings));
        xfer.kill();
        xfer.waitForFinished();
    }

    // A missing device, a COM number through the device table, and a device
    // another tarnex-xfer holds: the line's own words.
    void lineMessages()
    {
        PtyPair pty;
        QVERIFY(pty.start());
        QTemporaryDir dir;
        QProcess holder;
        holder.start(XferTool::path(), waitingReceiver(pty.near(), dir.path()));
        QVERIFY(holder.waitForStarted());
        QProcess far;
        far.setStandardInputFile(pty.far());
        far.start(QStringLiteral("head"), {QStringLiteral("-c1")});
        QVERIFY(far.waitForFinished(30000));

        const QList<std::pair<QString, QString>> cases{
            {QStringLiteral("/nonexistent/ttyQ9"),
                QStringLiteral("Serial device /nonexistent/ttyQ9 does not exist")},
            {QStringLiteral("COM64"), QStringLiteral("Serial device /dev/ttyUSB31 does not exist")},
            {pty.near(),
                QStringLiteral("Serial device %1 is in use by process %2 (tarnex-xfer)")
                    .arg(pty.near())
                    .arg(holder.processId())},
        };
        for (const auto &[device, text] : cases) {
            QProcess xfer;
            xfer.start(XferTool::path(), waitingReceiver(device, dir.path()));
            QVERIFY(XferTool::finished(xfer, 30000));
            const QString error = QString::fromLocal8Bit(xfer.readAllStandardError());
            QCOMPARE(xfer.exitCode(), 13);
            QVERIFY2(error.contains(text + QStringLiteral(" (code 13)")), qPrintable(error));
        }
        holder.kill();
        holder.waitForFinished();
    }

    // A device the user may not open, as someone else would meet it: run as
    // nobody against a pseudo-terminal only its owner may use.
    void permissionProblem()
    {
        if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("needs root and setpriv to run as another user");
        PtyPair pty;
        QVERIFY(pty.start());
        const QString device = QFileInfo(pty.near()).canonicalFilePath();
        QVERIFY(QFile::setPermissions(device, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QProcess xfer;
        xfer.start(QStringLiteral("setpriv"),
            QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                QStringLiteral("--clear-groups"), XferTool::path()}
                + waitingReceiver(device, QDir::tempPath()));
        QVERIFY(XferTool::finished(xfer, 30000));
        QCOMPARE(xfer.exitCode(), 13);
        const QString error = QString::fromLocal8Bit(xfer.readAllStandardError());
        QVERIFY2(
            error.contains(QStringLiteral("Permission denied opening %1; you may need to be a member of the "
                                          "dialout group (code 13)")
                               .arg(device)),
            qPrintable(error));
    }

    // The README's first example: Zmodem to a board on a serial line, here
    // rz on the far side of the pseudo-terminal pair.
    void zmodemToRz()
    {
        PtyPair pty;
        QVERIFY(pty.start());
        QTemporaryDir src;
        QTemporaryDir dst;
        const QByteArray data = TestFiles::everyByteValue(64) + TestFiles::randomBytes(300000, 3);
        const QString file = TestFiles::writeIn(src.path(), QStringLiteral("firmware.bin"), data);
        QProcess rz;
        rz.setWorkingDirectory(dst.path());
        rz.setStandardInputFile(pty.far());
        rz.setStandardOutputFile(pty.far(), QIODevice::Append);
        rz.start(QStringLiteral("rz"), {QStringLiteral("-q")});
        QVERIFY(rz.waitForStarted());
        QProcess xfer;
        xfer.start(XferTool::path(),
            {QStringLiteral("send"), QStringLiteral("--protocol"), QStringLiteral("zmodem"),
                QStringLiteral("--serial"), pty.near(), QStringLiteral("--baud"), QStringLiteral("115200"),
                file});
        QVERIFY(XferTool::finished(xfer));
        QVERIFY2(xfer.exitCode() == 0, qPrintable(XferTool::outcome(xfer)));
        QVERIFY(XferTool::finished(rz, 30000));
        QCOMPARE(rz.exitCode(), 0);
        QCOMPARE(TestFiles::read(QDir(dst.path()).filePath(QStringLiteral("firmware.bin"))), data);
    }
};

QTEST_GUILESS_MAIN(XferSerialTest)
#include "xfer_serial.moc"
