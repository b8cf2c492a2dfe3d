#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "support/ModemFixture.h"
#include "support/TestFiles.h"

// mgetty, a getty for Hayes modems, takes a call through the modem fixture:
// it initialises the modem, waits for RING, answers and starts the program
// its login.config names.
//
// mgetty reads its configuration from /etc/mgetty and keeps its log and lock
// files in /var/log/mgetty and /var/lock: it runs in a private mount
// namespace with its own folders bound over those (and over wtmp, which it
// writes for a login), so the machine's own files are never touched.

namespace {

struct MgettyFiles {
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    bool write()
    {
        const QString banner = TestFiles::writeScript(
            dir.path(), QStringLiteral("banner.sh"), "#!/bin/sh\necho \"BANNER user=$1\"\nexec cat\n");
        QDir here(dir.path());
        return !banner.isEmpty() && here.mkpath(QStringLiteral("etc")) && here.mkpath(QStringLiteral("lock"))
            && here.mkpath(QStringLiteral("log")) && TestFiles::write(path(QStringLiteral("wtmp")), {})
            && TestFiles::write(path(QStringLiteral("issue")), "Welcome via mgetty\n")
            && TestFiles::write(path(QStringLiteral("etc/mgetty.config")),
                "debug 9\ndata-only yes\nspeed 38400\ntoggle-dtr no\nfido-send-emsi no\nissue-file "
                    + path(QStringLiteral("issue")).toUtf8() + "\nlogin-prompt Tarnex mgetty login: \n")
            // login.config must be the owner's alone or mgetty ignores it.
            && TestFiles::write(path(QStringLiteral("etc/login.config")), "* - - " + banner.toUtf8() + " @\n")
            && QFile::setPermissions(
                path(QStringLiteral("etc/login.config")), QFile::ReadOwner | QFile::WriteOwner);
    }
    // The shell line that binds the folders and runs mgetty on line.
    QString command(const QString &line) const
    {
        return QStringLiteral("mount --bind %1 /etc/mgetty && mount --bind %2 /var/lock && "
                              "mount --bind %3 /var/log/mgetty && { [ ! -e /var/log/wtmp ] || mount --bind "
                              "%4 /var/log/wtmp; } && "
                              "exec /sbin/mgetty -x 9 -s 38400 %5")
            .arg(path(QStringLiteral("etc")), path(QStringLiteral("lock")), path(QStringLiteral("log")),
                path(QStringLiteral("wtmp")), line);
    }
    QByteArray log() const
    {
        QByteArray all;
        for (const QFileInfo &file : QDir(path(QStringLiteral("log"))).entryInfoList(QDir::Files))
            all += TestFiles::read(file.filePath());
        return all;
    }
};

} // namespace

class ModemMgettyTest : public QObject {
    Q_OBJECT
private slots:
    void answersAndStartsLogin()
    {
        ModemFixture modem;
        // After its init chat mgetty waits for 0.3 s of silence: rings must
        // come further apart than that.
        QVERIFY(modem.start({QStringLiteral("--listen"), QStringLiteral("0"), QStringLiteral("--ring-ms"),
            QStringLiteral("1000")}));
        // mgetty names its line relative to /dev.
        const QString device = QFileInfo(modem.near()).symLinkTarget();
        QVERIFY2(device.startsWith(QStringLiteral("/dev/")), qPrintable(device));
        MgettyFiles files;
        QVERIFY(files.write());

        QStringList unshare{QStringLiteral("--mount")};
        if (::geteuid() != 0)
            unshare << QStringLiteral("--map-root-user");
        unshare << QStringLiteral("sh") << QStringLiteral("-c") << files.command(device.mid(5));
        QProcess mgetty;
        mgetty.setProcessChannelMode(QProcess::MergedChannels);
        mgetty.start(QStringLiteral("unshare"), unshare);
        QVERIFY(mgetty.waitForStarted(10000));
        auto trail = [&] { return mgetty.readAll() + files.log() + "\n--- modem\n" + modem.log(); };

        // Initialised and waiting for a call.
        QTRY_VERIFY2_WITH_TIMEOUT(files.log().contains("waiting..."), trail().constData(), 30000);
        QVERIFY2(modem.log().contains("command: AT\n"), modem.log().constData()); // its init chat's last

        QTcpSocket caller;
        QByteArray heard;
        connect(&caller, &QTcpSocket::readyRead, this, [&] { heard += caller.readAll(); });
        caller.connectToHost(QHostAddress::LocalHost, modem.listenPort());
        QVERIFY(caller.waitForConnected(5000));
        QTRY_VERIFY2_WITH_TIMEOUT(heard.contains("Tarnex mgetty login:"), trail().constData(), 30000);
        QVERIFY2(heard.contains("Welcome via mgetty"), heard.constData());
        const QByteArray log = modem.log();
        QVERIFY2(log.indexOf("command: ATQ0V1H0") < log.indexOf("result: RING"), log.constData());
        QVERIFY2(log.indexOf("result: RING") < log.indexOf("command: ATA"), log.constData());
        QVERIFY2(log.contains("result: CONNECT 33600"), log.constData());

        caller.write("guest\r");
        QTRY_VERIFY2_WITH_TIMEOUT(heard.contains("BANNER user=guest"), trail().constData(), 30000);
        caller.write("typed after login\r");
        QTRY_VERIFY2_WITH_TIMEOUT(
            heard.count("typed after login") == 2, heard.constData(), 30000); // echo and cat

        caller.disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(modem.log().contains("far end closed"), 10000);
        mgetty.terminate();
        QVERIFY(mgetty.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(ModemMgettyTest)
#include "modem_mgetty.moc"
