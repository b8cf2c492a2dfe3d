#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/modem/Dialer.h"
#include "comms/modem/Modem.h"
#include "comms/telephony/TapiLine.h"
#include "comms/ui/CallProgressWindow.h"
#include "comms/ui/DialProgressWindow.h"
#include "comms/ui/LineDeviceDialog.h"
#include "support/AtResponder.h"
#include "support/LinePeers.h"
#include "support/LineReader.h"
#include "support/TestFiles.h"

namespace {

QString labelText(const QWidget &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

// With TARNEX_SHOT_DIR set, keeps a picture of the window for people to look at.
void keepShot(QWidget &window, const QString &name)
{
    const QString dir = qEnvironmentVariable("TARNEX_SHOT_DIR");
    if (!dir.isEmpty())
        window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A modem on a pseudo-terminal with a scripted far end.
struct PtyModem {
    PtyPair pty;
    Comport port;
    LineReader reader{port};
    Modem modem{port};
    AtResponder far;
    bool start(bool open)
    {
        if (!pty.start() || !far.open(pty.far()))
            return false;
        port.setDevicePath(pty.near());
        if (open)
            port.open();
        return modem.setEnabled(true);
    }
};

} // namespace

class LineDeviceWindowsTest : public QObject {
    Q_OBJECT
private slots:
    // The window follows a redial after BUSY and hides when the run ends.
    void dialProgressFollowsRedial()
    {
        PtyModem line;
        QVERIFY(line.start(true));
        line.far.on("ATDT", {"\r\nBUSY\r\n", ""});
        Dialer dialer(line.modem);
        dialer.setNumber(QStringLiteral("555-0134"));
        dialer.setMaxTries(5);
        dialer.setRetrySeconds(3);
        DialProgressWindow window;
        window.attach(&dialer);
        QVERIFY(!window.isVisible());
        QSignalSpy countdown(&dialer, &Dialer::retryCountdown);
        dialer.run();
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Dial Progress"));
        QCOMPARE(labelText(window, "number"), QStringLiteral("555-0134"));
        QVERIFY(countdown.wait(5000));
        QCOMPARE(labelText(window, "status"), QStringLiteral("BUSY"));
        QCOMPARE(labelText(window, "countdown"), QStringLiteral("in 3 seconds"));
        keepShot(window, QStringLiteral("dial-progress"));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(window, "attempt"), QStringLiteral("2 of 5"), 6000);

        QSignalSpy finished(&dialer, &Dialer::finished);
        window.findChild<QPushButton *>(QStringLiteral("cancel"))->click();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(!window.isVisible());
    }

    // Hidden until the device dials; Cancel ends the call through the line device.
    void callProgressShowsTheCall()
    {
        PtyModem line;
        QVERIFY(line.start(false));
        QTemporaryDir home;
        TestFiles::write(home.filePath(QStringLiteral("LineDevices.ini")),
            "[USB modem]\nPort=" + line.pty.near().toUtf8() + "\n");
        line.far.on("ATDT", {""});
        TapiLine tapi(line.port, line.modem, home.path());
        tapi.setMaxAttempts(3);
        QVERIFY(tapi.selectDevice(QStringLiteral("USB modem")));
        CallProgressWindow window;
        window.attach(&tapi);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Call Progress"));
        tapi.dial(QStringLiteral("555-0199"));
        QVERIFY(window.isVisible());
        QCOMPARE(labelText(window, "device"), QStringLiteral("USB modem"));
        QCOMPARE(labelText(window, "number"), QStringLiteral("555-0199"));
        QCOMPARE(labelText(window, "attempt"), QStringLiteral("1 of 3"));
        QCOMPARE(labelText(window, "state"), QStringLiteral("Dialing 555-0199"));
        keepShot(window, QStringLiteral("call-progress"));

        QSignalSpy cancelled(&tapi, &TapiLine::statusCancelled);
        QSignalSpy closed(&tapi, &TapiLine::portClosed);
        window.findChild<QPushButton *>(QStringLiteral("cancel"))->click();
        QCOMPARE(cancelled.size(), 1);
        QVERIFY(closed.size() == 1 || closed.wait(3000));
        QVERIFY(!window.isVisible());
        QVERIFY(!line.port.isOpen());
    }

    // The dialog edits the device's own keys and keeps everything else in the file.
    void dialogEditsItsEntry()
    {
        QTemporaryDir home;
        const QString path = home.filePath(QStringLiteral("LineDevices.ini"));
        TestFiles::write(
            path, "[Desk modem]\nPort=/dev/ttyS0\nSpeaker=1\nInit=ATZ^M\nBaud=9600\n[Other]\nPort=3\n");
        LineDeviceDialog dialog(home.path(), QStringLiteral("desk modem"));
        auto *init = dialog.findChild<QLineEdit *>(QStringLiteral("init"));
        auto *port = dialog.findChild<QComboBox *>(QStringLiteral("port"));
        auto *baud = dialog.findChild<QComboBox *>(QStringLiteral("baud"));
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("name"))->text(), QStringLiteral("Desk modem"));
        QCOMPARE(port->currentText(), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(init->text(), QStringLiteral("ATZ^M"));
        QCOMPARE(baud->currentText(), QStringLiteral("9600"));
        keepShot(dialog, QStringLiteral("line-device"));

        init->setText(QStringLiteral("AT&F^M"));
        baud->setCurrentText(QStringLiteral("115200"));
        QVERIFY(dialog.save());
        QCOMPARE(readAll(path),
            "[Desk modem]\nPort=/dev/ttyS0\nSpeaker=1\nInit=AT&F^M\nBaud=115200\n[Other]\nPort=3\n");

        // Without a port nothing is written and the dialog says why.
        port->setEditText(QString());
        QVERIFY(!dialog.save());
        QVERIFY(!labelText(dialog, "error").isEmpty());
        QVERIFY(readAll(path).contains("Port=/dev/ttyS0"));
    }
};

QTEST_MAIN(LineDeviceWindowsTest)
#include "line_device_windows.moc"
