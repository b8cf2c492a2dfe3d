#include <QDir>
#include <QFile>
#include <QTest>

#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "terminal/TermOptions.h"
#include "terminal/TerminalGeometry.h"

Q_DECLARE_METATYPE(WindowBars)

// The terminal options through the settings file, and the window sizes
// computed from the character grid.
class TermOptionsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TLog> log;
    RecordingPrompt prompt;
    std::unique_ptr<SettingsStore> store;

    QByteArray storedText() const
    {
        QFile file(store->filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        log = std::make_unique<TLog>(QDir::temp().filePath(QStringLiteral("term-options-log.txt")));
        store = std::make_unique<SettingsStore>(
            SettingsFolders::fromEnvironment(), *log, [this](const QString &text) { prompt.warning(text); });
        QFile::remove(store->filePath());
        prompt.clear();
    }

    void defaultsWithoutStoredValues()
    {
        const TermOptions options = TermOptions::load(*store);
        QCOMPARE(options.fontName, QStringLiteral("Terminal"));
        QCOMPARE(options.fontSize, 9);
        QCOMPARE(options.fontHeight, -12);
        QCOMPARE(options.foreground, 15);
        QCOMPARE(options.background, 0);
        QCOMPARE(options.termEmu, 1);
        QCOMPARE(options.rows, 25);
        QCOMPARE(options.columns, 80);
        QVERIFY(options.confirmHangup);
        QVERIFY(!options.doorway && !options.exitOnDisconnect && !options.ignoreBackground);
    }

    // Every value written comes back; "Exitondis" is written as "ExitOnDis".
    void roundTrip()
    {
        TermOptions options;
        options.fontName = QStringLiteral("DejaVu Sans Mono");
        options.fontCharset = 0;
        options.fontSize = 14;
        options.fontHeight = -19;
        options.bold = true;
        options.italic = true;
        options.foreground = 11;
        options.background = 4;
        options.ignoreBackground = true;
        options.termEmu = 4;
        options.rows = 50;
        options.columns = 132;
        options.doorway = true;
        options.confirmHangup = false;
        options.exitOnDisconnect = true;
        options.save(*store);

        const TermOptions read = TermOptions::load(*store);
        QCOMPARE(read.fontName, options.fontName);
        QCOMPARE(read.fontCharset, 0);
        QCOMPARE(read.fontSize, 14);
        QCOMPARE(read.fontHeight, -19);
        QVERIFY(read.bold && read.italic && read.ignoreBackground && read.doorway && read.exitOnDisconnect);
        QVERIFY(!read.confirmHangup);
        QCOMPARE(read.foreground, 11);
        QCOMPARE(read.background, 4);
        QCOMPARE(read.termEmu, 4);
        QCOMPARE(read.rows, 50);
        QCOMPARE(read.columns, 132);
        QVERIFY(storedText().contains("ExitOnDis"));
        QVERIFY(prompt.shown().isEmpty());
    }

    void storedValuesCorrected_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("storedCharset");
        QTest::addColumn<int>("storedRows");
        QTest::addColumn<int>("storedColumns");
        QTest::addColumn<int>("charset");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::newRow("Terminal face is always OEM") << "Terminal" << 0 << 0 << 80 << 255 << 25 << 80;
        QTest::newRow("other face keeps its set") << "Courier" << 0 << 30 << 100 << 0 << 30 << 100;
        QTest::newRow("negative grid") << "Terminal" << 255 << -3 << -1 << 255 << 25 << 80;
    }
    void storedValuesCorrected()
    {
        QFETCH(QString, face);
        QFETCH(int, storedCharset);
        QFETCH(int, storedRows);
        QFETCH(int, storedColumns);
        store->write(Setting::TFontName, face);
        store->write(Setting::TFontChar, storedCharset);
        store->write(Setting::Rows, storedRows);
        store->write(Setting::Cols, storedColumns);
        const TermOptions options = TermOptions::load(*store);
        QTEST(options.effectiveCharset(), "charset");
        QTEST(options.rows, "rows");
        QTEST(options.columns, "columns");
        options.save(*store);
        QTEST(store->read(Setting::TFontChar), "charset");
    }

    void windowSizes_data()
    {
        QTest::addColumn<WindowBars>("bars");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("maximum");
        // 80x25 cells of 8x12, tool bar 30, status bar 20, a frame of 16x39.
        WindowBars plain{30, 25, false, 25, false, 20, true};
        QTest::newRow("status bar shown")
            << plain << QSize(650, 300 + 30 + 20 + 35) << QSize(16 + 645, 39 + 300 + 30 + 20 + 10);
        WindowBars noStatus = plain;
        noStatus.statusBarVisible = false;
        QTest::newRow("status bar hidden still limits")
            << noStatus << QSize(650, 300 + 30 + 35) << QSize(16 + 645, 39 + 300 + 30 + 20 + 10);
        WindowBars all = plain;
        all.macroBarVisible = all.commandLineVisible = true;
        QTest::newRow("macro bar and command line") << all << QSize(650, 300 + 30 + 25 + 25 + 20 + 35)
                                                    << QSize(16 + 645, 39 + 300 + 30 + 25 + 25 + 20 + 10);
    }
    void windowSizes()
    {
        QFETCH(WindowBars, bars);
        const QSize cell(8, 12);
        QTEST(terminalWindowSize(cell, 80, 25, bars), "size");
        QTEST(terminalMaximumSize(QSize(16, 39), cell, 80, 25, bars), "maximum");
    }
};

QTEST_GUILESS_MAIN(TermOptionsTest)
#include "term_options.moc"
