#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtLog.h"
#include "support/EngineFiles.h"
#include "support/KermitSession.h"
#include "support/TestFiles.h"

// The transfer history: one line per file, from the engines' own outcomes.
class ProtocolHistoryTest : public QObject {
    Q_OBJECT
private:
    static QStringList lines(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // date time  protocol  direction  file  size  rate cps  result
    static QRegularExpressionMatch parse(const QString &line)
    {
        static const QRegularExpression shape(
            QStringLiteral("^\\S.* (\\S+)  (send|receive)  (.+)  (\\d+)  (\\d+) cps  (.+)$"));
        return shape.match(line);
    }

private slots:
    void batchGetsOneLinePerFileOnBothSides()
    {
        KermitSession session;
        QTemporaryDir logs;
        const QString sent = logs.filePath(QStringLiteral("sent.txt"));
        const QString received = logs.filePath(QStringLiteral("received.txt"));
        session.sender.history().setFileName(sent);
        session.receiver.history().setFileName(received);
        QStringList queue{TestFiles::writeIn(session.src.path(), QStringLiteral("a.txt"), "abc"),
            TestFiles::writeIn(session.src.path(), QStringLiteral("b.bin"), TestFiles::randomBytes(5000, 1))};
        sendInOrder(session.sender, queue);
        QVERIFY(session.run());
        QCOMPARE(session.sendCode, 0);

        for (const auto &[path, direction] : {std::pair{sent, "send"}, std::pair{received, "receive"}}) {
            const QStringList got = lines(path);
            QCOMPARE(got.size(), 2);
            const QStringList names{QStringLiteral("a.txt"), QStringLiteral("b.bin")};
            const QList<int> sizes{3, 5000};
            for (int i = 0; i < 2; ++i) {
                const QRegularExpressionMatch m = parse(got[i]);
                QVERIFY2(m.hasMatch(), qPrintable(got[i]));
                QCOMPARE(m.captured(1), QStringLiteral("kermit"));
                QCOMPARE(m.captured(2), QLatin1String(direction));
                QCOMPARE(m.captured(3), names[i]);
                QCOMPARE(m.captured(4).toInt(), sizes[i]);
                QCOMPARE(m.captured(6), QStringLiteral("OK"));
            }
        }
    }

    void failureIsRecordedWithItsCode()
    {
        KermitSession session;
        QTemporaryDir logs;
        const QString received = logs.filePath(QStringLiteral("received.txt"));
        session.receiver.history().setFileName(received);
        session.sender.setFileName(TestFiles::writeIn(
            session.src.path(), QStringLiteral("big.bin"), TestFiles::randomBytes(3000000, 2)));
        connect(&session.fromRelay.b, &ByteLink::received, &session.receiver, [&session] {
            if (session.receiver.inProgress() && session.receiver.status().bytesDone > 0)
                session.receiver.cancel();
        });
        QVERIFY(session.run());
        const QStringList got = lines(received);
        QCOMPARE(got.size(), 1);
        const QRegularExpressionMatch m = parse(got[0]);
        QVERIFY2(m.hasMatch(), qPrintable(got[0]));
        QCOMPARE(m.captured(6),
            QStringLiteral("%1 (code %2)")
                .arg(transferResultText(TransferResult::CancelledLocally))
                .arg(int(TransferResult::CancelledLocally)));
    }

    void remoteNamesCannotBreakTheLine()
    {
        FileOutcome outcome;
        outcome.fileName = QStringLiteral("x\nOK line\r\x1b[2J");
        outcome.size = 1;
        const QString line = ProtLog::formatLine(QDateTime::currentDateTime(), ProtocolType::Zmodem, outcome);
        QVERIFY2(!line.contains(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]"))), qPrintable(line));
        QVERIFY(parse(line).hasMatch());
    }

    void emptyNameKeepsNoHistory()
    {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        ProtLog log;
        log.record(ProtocolType::Zmodem, FileOutcome{});
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(ProtocolHistoryTest)
#include "protocol_history.moc"
