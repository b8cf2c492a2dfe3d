#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include "shell/TLog.h"

class TLogTest : public QObject {
    Q_OBJECT

    QString path;
    const QDateTime fixed{QDate(2026, 3, 4), QTime(5, 6, 7)};

    QByteArray contents() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void put(const QByteArray &bytes) const
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::unique_ptr<TLog> makeLog(bool date = false, bool time = false) const
    {
        auto log = std::make_unique<TLog>(path);
        log->setDateStamp(date);
        log->setTimeStamp(time);
        log->setClock([this] { return fixed; });
        return log;
    }

private slots:
    void init()
    {
        path = QDir::temp().filePath(QStringLiteral("tarnexlog.txt"));
        QFile::remove(path);
    }

    void stamps_data()
    {
        const QLocale locale = QLocale::system();
        const QString date = locale.toString(fixed.date(), QLocale::ShortFormat);
        const QString time = locale.toString(fixed.time(), QLocale::LongFormat);
        QTest::addColumn<bool>("date");
        QTest::addColumn<bool>("time");
        QTest::addColumn<QString>("line");
        QTest::newRow("both") << true << true << date + " - " + time + " - Current Dir=/x/";
        QTest::newRow("date only") << true << false << date + " - Current Dir=/x/";
        QTest::newRow("time only") << false << true << time + " - Current Dir=/x/";
        QTest::newRow("none") << false << false << QStringLiteral("Current Dir=/x/");
    }
    void stamps()
    {
        QFETCH(bool, date);
        QFETCH(bool, time);
        QFETCH(QString, line);
        makeLog(date, time)->write(QStringLiteral("Current Dir=/x/"));
        QCOMPARE(QString::fromUtf8(contents()), line + "\n");
    }

    void eachLineIsOnDiskAtOnce()
    {
        auto log = makeLog();
        log->write(QStringLiteral("one"));
        QCOMPARE(contents(), QByteArray("one\n"));
        log->write(QStringLiteral("two \u00e9"));
        QCOMPARE(contents(), QByteArray("one\ntwo \xc3\xa9\n"));
    }

    void appendOffEmptiesAtFirstLine()
    {
        put("previous run\n");
        auto log = makeLog();
        QCOMPARE(contents(), QByteArray("previous run\n")); // nothing before the first line
        log->write(QStringLiteral("new run"));
        QCOMPARE(contents(), QByteArray("new run\n"));
    }

    void appendOnKeepsFile()
    {
        put("previous run\n");
        auto log = makeLog();
        log->setAppend(true);
        log->write(QStringLiteral("new run"));
        QCOMPARE(contents(), QByteArray("previous run\nnew run\n"));
    }

    void disabledTouchesNothing()
    {
        put("previous run\n");
        auto log = makeLog();
        log->setEnabled(false);
        log->write(QStringLiteral("dropped"));
        QCOMPARE(contents(), QByteArray("previous run\n"));
        QVERIFY(!log->isOpen());
        // Enabled later in the run and never opened: the first line starts the file anew.
        log->setEnabled(true);
        log->write(QStringLiteral("first"));
        QCOMPARE(contents(), QByteArray("first\n"));
        // Disabled and enabled again after it was opened: lines continue the file.
        log->setEnabled(false);
        log->write(QStringLiteral("dropped"));
        log->setEnabled(true);
        log->write(QStringLiteral("second"));
        QCOMPARE(contents(), QByteArray("first\nsecond\n"));
    }

    void failedOpenIsSilentAndRetried()
    {
        const QString dir = QDir::temp().filePath(QStringLiteral("later"));
        path = dir + QStringLiteral("/log.txt");
        auto log = makeLog();
        log->write(QStringLiteral("lost"));
        QVERIFY(!log->isOpen());
        QVERIFY(QDir().mkpath(dir));
        log->write(QStringLiteral("kept"));
        QCOMPARE(contents(), QByteArray("kept\n"));
    }

    void emptyFileNameWritesNothing()
    {
        TLog log{QString()};
        log.write(QStringLiteral("nowhere"));
        QVERIFY(!log.isOpen());
    }

    void renamingStartsTheNewFileAfresh()
    {
        auto log = makeLog();
        log->write(QStringLiteral("a"));
        const QString other = QDir::temp().filePath(QStringLiteral("other.txt"));
        {
            QFile file(other);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old\n");
        }
        log->setFileName(other);
        log->write(QStringLiteral("b"));
        QCOMPARE(contents(), QByteArray("a\n"));
        QFile file(other);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("b\n"));
    }
};

QTEST_GUILESS_MAIN(TLogTest)
#include "tlog.moc"
