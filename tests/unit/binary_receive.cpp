#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "support/LineReader.h"
#include "support/PtyLine.h"
#include "support/RecordingView.h"
#include "support/TestFiles.h"
#include "transfer/BinaryReceive.h"

#include <sys/mount.h>

// Receive mode on a pseudo-terminal: the far end sends, the bytes go to the
// file and not to the terminal's reader.
class BinaryReceiveTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    PtyLine *line = nullptr;
    LineReader *terminal = nullptr;
    RecordingView *view = nullptr;
    BinaryReceive *receive = nullptr;

    void farSends(const QByteArray &bytes)
    {
        line->far.write(bytes);
        QVERIFY(line->far.waitForBytesWritten(10000) || line->far.bytesToWrite() == 0);
    }

private slots:
    void init()
    {
        line = new PtyLine;
        QVERIFY(line->start());
        terminal = new LineReader(line->port);
        view = new RecordingView;
        view->terminalActive = true;
        receive = new BinaryReceive(line->port, *view);
    }
    void cleanup()
    {
        delete receive;
        delete view;
        delete terminal;
        delete line;
    }

    // Every byte value arrives unchanged; the terminal sees nothing until
    // receive mode ends.
    void receivesBytesUnchanged()
    {
        QSignalSpy changed(receive, &BinaryReceive::receivingChanged);
        const QString path = dir.filePath(QStringLiteral("in.bin"));
        QVERIFY(TestFiles::write(path, "old contents that must go"));
        QVERIFY(receive->begin(path));
        QVERIFY(receive->isReceiving());
        QVERIFY(!view->terminalActive);
        const QByteArray data = TestFiles::everyByteValue(64) + TestFiles::randomBytes(50000, 2);
        farSends(data);
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), data.size(), 30000);
        QCOMPARE(TestFiles::read(path), data);
        QVERIFY(terminal->got.isEmpty());
        receive->end();
        QVERIFY(!receive->isReceiving());
        QVERIFY(view->terminalActive);
        QCOMPARE(view->notices,
            QStringList({QStringLiteral("Binary Receive mode. (Terminal output is suppressed)"),
                QStringLiteral("Binary download complete.")}));
        QCOMPARE(changed.size(), 2);
        farSends("after");
        QTRY_COMPARE(terminal->got, QByteArray("after"));
        QCOMPARE(TestFiles::read(path), data);
    }

    // A file that cannot take the bytes ends receive mode with the error
    // notice, keeping what was written before.
    void writeFailureEndsReceiveMode_data()
    {
        QTest::addColumn<bool>("smallDisk");
        QTest::newRow("device that is always full") << false;
        QTest::newRow("disk filling up") << true;
    }
    void writeFailureEndsReceiveMode()
    {
        QFETCH(bool, smallDisk);
        QTemporaryDir mountPoint;
        QString path = QStringLiteral("/dev/full");
        if (smallDisk) {
            if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=64k")
                != 0)
                QSKIP("cannot mount a small tmpfs here (needs root)");
            path = QDir(mountPoint.path()).filePath(QStringLiteral("in.bin"));
        }
        QVERIFY(receive->begin(path));
        const QByteArray data = TestFiles::randomBytes(256 * 1024, 7);
        farSends(data);
        QTRY_VERIFY_WITH_TIMEOUT(!receive->isReceiving(), 30000);
        const QByteArray kept = smallDisk ? TestFiles::read(path) : QByteArray();
        if (smallDisk)
            ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH);
        QCOMPARE(view->notices,
            QStringList({QStringLiteral("Binary Receive mode. (Terminal output is suppressed)"),
                QStringLiteral("Error receiving binary.")}));
        QVERIFY(view->terminalActive);
        if (smallDisk) {
            QVERIFY(kept.size() > 16 * 1024);
            QCOMPARE(kept, data.left(kept.size()));
        }
    }

    void fileThatCannotBeCreatedStartsNothing()
    {
        QVERIFY(!receive->begin(dir.filePath(QStringLiteral("no/such/folder/in.bin"))));
        QVERIFY(!receive->isReceiving());
        QCOMPARE(view->notices.size(), 1);
        QVERIFY(view->notices.first().contains(QStringLiteral("in.bin")));
        QVERIFY(view->terminalActive);
    }
};

QTEST_GUILESS_MAIN(BinaryReceiveTest)
#include "binary_receive.moc"
