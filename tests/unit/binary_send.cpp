#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "support/PtyLine.h"
#include "support/RecordingView.h"
#include "support/TestFiles.h"
#include "transfer/BinarySend.h"
#include "transfer/BinarySendProgress.h"

namespace {

struct RecordingProgress : BinarySendProgress {
    QString name;
    qint64 size = -1;
    struct Step {
        qint64 sent, left;
        int percent;
    };
    QList<Step> steps;
    void showFile(const QString &file, qint64 bytes) override
    {
        name = file;
        size = bytes;
    }
    void showProgress(qint64 sent, qint64 left, int percent) override { steps.append({sent, left, percent}); }
};

} // namespace

// A file sent over a pseudo-terminal as it is, block by block, as the
// output buffer empties; the far end reads what arrives.
class BinarySendTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    PtyLine *line = nullptr;
    Comport *port = nullptr;
    RecordingView *view = nullptr;
    RecordingProgress *progress = nullptr;
    BinarySend *send = nullptr;
    QList<qsizetype> blocks;
    int windowsMade = 0;
    QList<BinarySendProgress *> windowsDone;

    QString file(const QByteArray &bytes)
    {
        return TestFiles::writeIn(dir.path(), QStringLiteral("data.bin"), bytes);
    }

private slots:
    void init()
    {
        line = new PtyLine;
        QVERIFY(line->start());
        port = &line->port;
        view = new RecordingView;
        progress = new RecordingProgress;
        windowsMade = 0;
        windowsDone.clear();
        blocks.clear();
        send = new BinarySend(*port, *view, [this]() -> BinarySendProgress * {
            ++windowsMade;
            return progress;
        });
        connect(send, &BinarySend::windowDone, this, [this](BinarySendProgress *w) { windowsDone << w; });
        connect(port, &Comport::sent, this, [this](const QByteArray &bytes) { blocks << bytes.size(); });
    }
    void cleanup()
    {
        delete send;
        delete progress;
        delete view;
        delete line;
    }

    void sendsWholeFileInBlocks_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<qsizetype>>("expected");
        QTest::newRow("5000 bytes") << 5000 << QList<qsizetype>{2048, 2048, 904};
        QTest::newRow("exact blocks") << 4096 << QList<qsizetype>{2048, 2048};
        QTest::newRow("one byte") << 1 << QList<qsizetype>{1};
        QTest::newRow("empty") << 0 << QList<qsizetype>{};
        QTest::newRow("beyond the output buffer") << 70000 << QList<qsizetype>();
    }
    // The bytes arrive unchanged, in blocks of 2048 but the last; the trigger
    // handler goes again and leaves the others in the chain as they were.
    void sendsWholeFileInBlocks()
    {
        QFETCH(int, size);
        QFETCH(QList<qsizetype>, expected);
        QList<int> othersSaw;
        HandlerRegistration kept = port->events().statusTrigger.attach(HandlerStage::Window, [&](int handle) {
            othersSaw << handle;
            return false;
        });
        const QByteArray data = TestFiles::randomBytes(size, 5);
        QSignalSpy finished(send, &BinarySend::finished);
        send->start(file(data));
        QVERIFY(send->isSending());
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(line->atFar.size(), data.size(), 30000);
        QTest::qWait(100);
        QCOMPARE(line->atFar, data);
        QVERIFY(!send->isSending());
        if (expected.isEmpty() && size > 0) {
            for (qsizetype i = 0; i < blocks.size(); ++i)
                expected << qMin<qsizetype>(BinarySend::blockSize, size - i * BinarySend::blockSize);
        }
        QCOMPARE(blocks, expected);
        QCOMPARE(windowsMade, 1);
        QCOMPARE(windowsDone, QList<BinarySendProgress *>{progress});
        QCOMPARE(progress->name, QStringLiteral("data.bin"));
        QCOMPARE(progress->size, qint64(size));
        QCOMPARE(progress->steps.size(), expected.size());
        if (size > 0) {
            QCOMPARE(progress->steps.first().sent, expected.first());
            QCOMPARE(progress->steps.last().sent, qint64(size));
            QCOMPARE(progress->steps.last().left, qint64(0));
            QCOMPARE(progress->steps.last().percent, 100);
            QCOMPARE(view->caption, QStringLiteral("100% complete"));
        }
        QVERIFY(view->notices.isEmpty());
        QVERIFY(othersSaw.isEmpty());
        // The kept handler still gets the triggers that are not the send's.
        const int other = port->addStatusTrigger(StatusTriggerType::OutputFree);
        port->setStatusTrigger(other, 1, true);
        QTRY_COMPARE(othersSaw, QList<int>{other});
    }

    // Cancel half way: what is queued is dropped, the far end gets a prefix
    // of the file, the window goes and the send ends at the next trigger.
    void cancelHalfWay()
    {
        const QByteArray data = TestFiles::randomBytes(1024 * 1024, 9);
        QSignalSpy finished(send, &BinarySend::finished);
        qint64 queued = 0;
        connect(port, &Comport::sent, this, [&](const QByteArray &bytes) {
            queued += bytes.size();
            if (queued == data.size() / 2)
                QMetaObject::invokeMethod(send, &BinarySend::cancel, Qt::QueuedConnection);
        });
        send->start(file(data));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QVERIFY(!send->isSending());
        QCOMPARE(port->outBuffUsed(), qint64(0));
        QCOMPARE(windowsDone, QList<BinarySendProgress *>{progress});
        QVERIFY(queued < data.size());
        QTest::qWait(300);
        QVERIFY(line->atFar.size() <= queued);
        QCOMPARE(line->atFar, data.left(line->atFar.size()));
        QVERIFY(progress->steps.last().percent < 100);
        // A second cancel, and one after the end, change nothing.
        send->cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(windowsDone.size(), 1);
    }

    // A file that cannot be opened, or shrinks while it is sent, is a
    // failure the user is told of, not a completed send.
    void readFailureIsReported()
    {
        QSignalSpy finished(send, &BinarySend::finished);
        send->start(dir.filePath(QStringLiteral("missing.bin")));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!send->isSending());
        QCOMPARE(view->notices.size(), 1);
        QVERIFY2(
            view->notices.first().contains(QStringLiteral("missing.bin")), qPrintable(view->notices.first()));
        QCOMPARE(windowsDone.size(), 1);

        const QByteArray data = TestFiles::randomBytes(1024 * 1024, 3);
        const QString path = file(data);
        bool shrunk = false;
        connect(port, &Comport::sent, this, [&] {
            if (!shrunk)
                shrunk = QFile::resize(path, 100);
        });
        send->start(path);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
        QVERIFY(shrunk);
        QVERIFY(!send->isSending());
        QCOMPARE(view->notices.size(), 2);
        QVERIFY2(view->notices.last().contains(QStringLiteral("data.bin")), qPrintable(view->notices.last()));
        QCOMPARE(windowsDone.size(), 2);
        QVERIFY(progress->steps.last().sent < data.size());
    }

    // The line closing in the middle ends the send rather than leaving it
    // waiting for a trigger that cannot come.
    void portClosingEndsTheSend()
    {
        QSignalSpy finished(send, &BinarySend::finished);
        connect(port, &Comport::sent, this, [this] {
            if (blocks.size() == 20)
                QMetaObject::invokeMethod(port, &Comport::close, Qt::QueuedConnection);
        });
        send->start(file(TestFiles::randomBytes(1024 * 1024, 4)));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QVERIFY(!port->isOpen());
        QVERIFY(!send->isSending());
        QCOMPARE(windowsDone.size(), 1);
    }

    // With the line closed only the window comes; Cancel takes it away.
    void closedPortShowsOnlyTheWindow()
    {
        port->close();
        QSignalSpy finished(send, &BinarySend::finished);
        send->start(file("abc"));
        QCOMPARE(windowsMade, 1);
        QVERIFY(!send->isSending());
        QTest::qWait(100);
        QVERIFY(progress->name.isEmpty());
        QVERIFY(windowsDone.isEmpty());
        send->cancel();
        QCOMPARE(windowsDone, QList<BinarySendProgress *>{progress});
        QCOMPARE(finished.size(), 0);
    }
};

QTEST_GUILESS_MAIN(BinarySendTest)
#include "binary_send.moc"
