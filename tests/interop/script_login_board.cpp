// tarnex-script run logging in to a small board behind inetutils telnetd, with a wrong
// password once, and downloading the two files the board sends with sz.
#include "support/LinePeers.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char loginScript[] = ":Login\n"
                           "Wait 'login:' 90\n"
                           "If TIMEOUT Login\n"
                           "If FAIL Out\n"
                           "Send 'guest^M'\n"
                           "Wait 'Password:' 180\n"
                           "If TIMEOUT Out\n"
                           "Send 'wrong^M'\n"
                           "WaitMulti 'incorrect|Board>' 180\n"
                           "If 1 Again\n"
                           "Goto Out\n"
                           ":Again\n"
                           "Wait 'login:' 180\n"
                           "Send 'guest^M'\n"
                           "Wait 'Password:' 180\n"
                           "Send 'secret^M'\n"
                           "WaitMulti 'incorrect|Board>' 180\n"
                           "If 2 In\n"
                           "Goto Out\n"
                           ":In\n"
                           "Display 'logged in'\n"
                           "Send 'get^M'\n"
                           "Download ZMODEM\n"
                           "If FAIL Out\n"
                           "Display 'downloaded'\n"
                           ":Out\n"
                           "Shutdown\n";

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

} // namespace

class ScriptLoginBoardTest : public QObject {
    Q_OBJECT
private slots:
    void logsInWithRetryAndDownloadsTwoFiles();
};

void ScriptLoginBoardTest::logsInWithRetryAndDownloadsTwoFiles()
{
    QTemporaryDir dir;
    const QString board = dir.filePath(QStringLiteral("board"));
    const QString downloads = dir.filePath(QStringLiteral("down"));
    QVERIFY(QDir().mkpath(board) && QDir().mkpath(downloads));
    const QList<QByteArray> contents{randomBytes(70000), randomBytes(1234)};
    const QStringList names{QStringLiteral("one.bin"), QStringLiteral("two.bin")};
    for (int i = 0; i < 2; ++i) {
        QFile out(QDir(board).filePath(names[i]));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(contents[i]);
    }
    // A second login prompt comes a moment after the refusal, as real logins do.
    const QByteArray body = "#!/bin/sh\n"
                            "cd '"
        + board.toLocal8Bit()
        + "'\n"
          "while :; do\n"
          "  printf 'login: '; read -r user\n"
          "  printf 'Password: '; read -r pw\n"
          "  [ \"$pw\" = secret ] && break\n"
          "  printf 'Login incorrect\\r\\n'; sleep 0.3\n"
          "done\n"
          "printf 'Board> '\n"
          "while read -r cmd; do\n"
          "  case \"$cmd\" in get) sz -q one.bin two.bin ;; esac\n"
          "  printf 'Board> '\n"
          "done\n";
    const QString program = TestFiles::writeScript(dir.path(), QStringLiteral("board.sh"), body);
    SocketExec telnetd;
    QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + program));

    const QString script = dir.filePath(QStringLiteral("login.scr"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(loginScript);
    file.close();
    QProcess tool;
    tool.start(
        qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-script/tarnex-script"),
        {QStringLiteral("run"), script, QStringLiteral("--tcp"),
            QStringLiteral("127.0.0.1:%1").arg(telnetd.port()), QStringLiteral("--dir"), downloads,
            QStringLiteral("--quiet")});
    QVERIFY(tool.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
    QVERIFY2(tool.exitCode() == 0, qPrintable(errors));
    QCOMPARE(QString::fromLocal8Bit(tool.readAllStandardOutput()), QStringLiteral("logged in\ndownloaded\n"));
    for (int i = 0; i < 2; ++i)
        QCOMPARE(TestFiles::read(QDir(downloads).filePath(names[i])), contents[i]);
}

QTEST_GUILESS_MAIN(ScriptLoginBoardTest)
#include "script_login_board.moc"
