#include <QDir>
#include <QFile>
#include <QTest>

#include "sessions/PhonebookEntry.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "transfer/ProtocolOptionsChoices.h"
#include "transfer/ProtocolOptionsStore.h"

Q_DECLARE_METATYPE(PhoneField)

// The protocol options between the engine, the settings and a phonebook
// entry's copy, and the dialog's choices written into an entry.
class ProtocolOptionsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TLog> log;
    RecordingPrompt prompt;
    std::unique_ptr<SettingsStore> store;

    // The options as the next start-up would load them.
    ProtocolOptions stored()
    {
        ProtocolOptions options;
        LoadProtocolOptions(*store, options);
        return options;
    }

private slots:
    void init()
    {
        log = std::make_unique<TLog>(QDir::temp().filePath(QStringLiteral("protocol-options-log.txt")));
        store = std::make_unique<SettingsStore>(
            SettingsFolders::fromEnvironment(), *log, [this](const QString &text) { prompt.warning(text); });
        QFile::remove(store->filePath());
    }

    // With nothing stored the engine keeps its own values; stored values win.
    void loadKeepsEngineDefaultsForAbsentSettings()
    {
        ProtocolOptions options;
        options.kermitMaxLen = 90;
        LoadProtocolOptions(*store, options);
        QCOMPARE(options.kermitMaxLen, 90);
        QCOMPARE(options.asciiEofTimeoutTicks, 364);
        QCOMPARE(options.writeFailAction, WriteFailAction::Overwrite);
        QCOMPARE(options.zmodemFileOption, ZmodemFileOption::Overwrite);

        store->write(Setting::KermitMaxLen, 500);
        store->write(Setting::ZmodemRecover, true);
        store->write(Setting::AsciiLFTranslation, 2);
        LoadProtocolOptions(*store, options);
        QCOMPARE(options.kermitMaxLen, 500);
        QVERIFY(options.zmodemRecover);
        QCOMPARE(options.asciiLf, AsciiTranslation::AddCrBefore);
    }

    // Every field reaches the engine and the settings, which load it back.
    void entryReachesEngineAndSettings()
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        for (PhoneField field : {PhoneField::Hincom, PhoneField::IncOut, PhoneField::RtsLow,
                 PhoneField::Abortcd, PhoneField::SkipNew, PhoneField::Crash, PhoneField::Z8K})
            entry.set(field, QStringLiteral("1"));
        entry.set(PhoneField::FileOver, QStringLiteral("0"));
        entry.set(PhoneField::NameC, QStringLiteral("1"));
        entry.set(PhoneField::Fileman, QStringLiteral("6"));
        entry.set(PhoneField::KBlock, QStringLiteral("1024"));
        entry.set(PhoneField::KWindows, QStringLiteral("4"));
        entry.set(PhoneField::KTimeout, QStringLiteral("12"));
        entry.set(PhoneField::CharDelay, QStringLiteral("7"));
        entry.set(PhoneField::Linedelay, QStringLiteral("250"));
        entry.set(PhoneField::EofTo, QStringLiteral("90"));
        entry.set(PhoneField::CRTrans, QStringLiteral("1"));
        entry.set(PhoneField::LFTrans, QStringLiteral("3"));
        ProtocolOptions engine;
        ApplyEntryProtocolOptions(entry, false, engine, *store);

        for (const ProtocolOptions &options : {engine, stored()}) {
            QVERIFY(options.honorDirectory && options.includeDirectory && options.rtsLowForWrite);
            QVERIFY(options.abortNoCarrier && options.zmodemSkipNoFile && options.zmodemRecover);
            QVERIFY(options.zmodem8K && !options.zmodemOptionOverride);
            QCOMPARE(options.writeFailAction, WriteFailAction::Reject);
            QCOMPARE(options.zmodemFileOption, ZmodemFileOption::Different);
            QCOMPARE(options.kermitMaxLen, 1024);
            QCOMPARE(options.kermitMaxWindows, 4);
            QCOMPARE(options.kermitTimeoutSecs, 12);
            QCOMPARE(options.asciiCharDelayMs, 7);
            QCOMPARE(options.asciiLineDelayMs, 250);
            QCOMPARE(options.asciiEofTimeoutTicks, 90);
            QCOMPARE(options.asciiCr, AsciiTranslation::Strip);
            QCOMPARE(options.asciiLf, AsciiTranslation::AddLfAfter);
        }
    }

    void numberFieldsFallBack_data()
    {
        QTest::addColumn<PhoneField>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty block length") << PhoneField::KBlock << QString() << 64;
        QTest::newRow("block length in words") << PhoneField::KBlock << QStringLiteral("long") << 64;
        QTest::newRow("windows") << PhoneField::KWindows << QStringLiteral("x") << 0;
        QTest::newRow("time-out") << PhoneField::KTimeout << QString() << 5;
        QTest::newRow("negative time-out") << PhoneField::KTimeout << QStringLiteral("-3") << 5;
        QTest::newRow("character delay") << PhoneField::CharDelay << QStringLiteral("1 2") << 0;
        QTest::newRow("line delay") << PhoneField::Linedelay << QString() << 0;
        QTest::newRow("end-of-file time-out") << PhoneField::EofTo << QString() << 5;
    }

    // A number field that holds no number gives its default to the engine
    // and the settings alike.
    void numberFieldsFallBack()
    {
        QFETCH(PhoneField, field);
        QFETCH(QString, text);
        QFETCH(int, expected);
        PhonebookEntry entry = PhonebookEntry::newEntry();
        for (PhoneField number : {PhoneField::KBlock, PhoneField::KWindows, PhoneField::KTimeout,
                 PhoneField::CharDelay, PhoneField::Linedelay, PhoneField::EofTo})
            entry.set(number, QStringLiteral("33"));
        entry.set(field, text);
        ProtocolOptions engine;
        ApplyEntryProtocolOptions(entry, false, engine, *store);
        const ProtocolOptions loaded = stored();
        const std::map<PhoneField, std::pair<int, int>> values{
            {PhoneField::KBlock, {engine.kermitMaxLen, loaded.kermitMaxLen}},
            {PhoneField::KWindows, {engine.kermitMaxWindows, loaded.kermitMaxWindows}},
            {PhoneField::KTimeout, {engine.kermitTimeoutSecs, loaded.kermitTimeoutSecs}},
            {PhoneField::CharDelay, {engine.asciiCharDelayMs, loaded.asciiCharDelayMs}},
            {PhoneField::Linedelay, {engine.asciiLineDelayMs, loaded.asciiLineDelayMs}},
            {PhoneField::EofTo, {engine.asciiEofTimeoutTicks, loaded.asciiEofTimeoutTicks}},
        };
        for (const auto &[number, pair] : values) {
            const int want = number == field ? expected : 33;
            QCOMPARE(pair.first, want);
            QCOMPARE(pair.second, want);
        }
    }

    // A list field without a valid item number (an entry saved before these
    // options) leaves that option and its setting alone; the rest still apply.
    void listFieldWithoutItemLeavesOptionAlone()
    {
        store->write(Setting::WriteFailAction, 1);
        store->write(Setting::AsciiCRTranslation, 2);
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::NameC, QString());
        entry.set(PhoneField::CRTrans, QStringLiteral("9"));
        entry.set(PhoneField::Fileman, QStringLiteral("x"));
        entry.set(PhoneField::KBlock, QStringLiteral("200"));
        ProtocolOptions engine;
        engine.writeFailAction = WriteFailAction::Rename;
        engine.asciiCr = AsciiTranslation::AddLfAfter;
        ApplyEntryProtocolOptions(entry, false, engine, *store);
        QCOMPARE(engine.writeFailAction, WriteFailAction::Rename);
        QCOMPARE(engine.asciiCr, AsciiTranslation::AddLfAfter);
        QCOMPARE(engine.zmodemFileOption, ZmodemFileOption::Overwrite);
        QCOMPARE(engine.kermitMaxLen, 200);
        QCOMPARE(store->read(Setting::WriteFailAction), 1);
        QCOMPARE(store->read(Setting::AsciiCRTranslation), 2);
    }

    // A telephony line always aborts on carrier loss; the setting keeps the
    // entry's own choice.
    void telephonyAbortsOnCarrierLoss_data()
    {
        QTest::addColumn<bool>("viaTapi");
        QTest::addColumn<QString>("abortcd");
        QTest::addColumn<bool>("engineAborts");
        QTest::newRow("telephony, entry off") << true << QStringLiteral("0") << true;
        QTest::newRow("telephony, entry on") << true << QStringLiteral("1") << true;
        QTest::newRow("serial, entry off") << false << QStringLiteral("0") << false;
    }
    void telephonyAbortsOnCarrierLoss()
    {
        QFETCH(bool, viaTapi);
        QFETCH(QString, abortcd);
        QFETCH(bool, engineAborts);
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Abortcd, abortcd);
        ProtocolOptions engine;
        ApplyEntryProtocolOptions(entry, viaTapi, engine, *store);
        QCOMPARE(engine.abortNoCarrier, engineAborts);
        QCOMPARE(store->read(Setting::AbortNoCarrier), abortcd == QLatin1String("1"));
    }

    // The dialog's edits go into the entry as typed, cut to the field;
    // boxes as "1" or "0", lists as their item number.
    void choicesIntoEntry()
    {
        ProtocolOptions engine;
        engine.honorDirectory = true;
        engine.zmodemFileOption = ZmodemFileOption::Newer;
        ProtocolOptionsChoices choices = ProtocolOptionsChoices::from(engine, {true, false});
        QVERIFY(choices.honorDirectory && choices.autoZmodem && !choices.launchApp);
        QCOMPARE(choices.kermitMaxLen, QStringLiteral("80"));
        QCOMPARE(choices.asciiEofTimeout, QStringLiteral("364"));
        choices.kermitMaxLen = QStringLiteral("1024");
        choices.asciiCharDelay = QStringLiteral("123456");
        choices.zmodem8K = true;
        choices.asciiLf = 3;
        choices.autoZmodem = false;
        choices.launchApp = true;

        PhonebookEntry entry = PhonebookEntry::newEntry();
        TransferSwitches switches;
        choices.store(entry, switches);
        QCOMPARE(entry.get(PhoneField::KBlock), QStringLiteral("1024"));
        QCOMPARE(entry.get(PhoneField::CharDelay), QStringLiteral("12345"));
        QCOMPARE(entry.get(PhoneField::Hincom), QStringLiteral("1"));
        QCOMPARE(entry.get(PhoneField::IncOut), QStringLiteral("0"));
        QCOMPARE(entry.get(PhoneField::Z8K), QStringLiteral("1"));
        QCOMPARE(entry.get(PhoneField::FileOver), QStringLiteral("0"));
        QCOMPARE(entry.get(PhoneField::Fileman), QStringLiteral("5"));
        QCOMPARE(entry.get(PhoneField::NameC), QStringLiteral("3"));
        QCOMPARE(entry.get(PhoneField::LFTrans), QStringLiteral("3"));
        QCOMPARE(entry.get(PhoneField::EofTo), QStringLiteral("364"));
        QVERIFY(!switches.autoZmodem && switches.launchApp);
    }
};

QTEST_GUILESS_MAIN(ProtocolOptionsTest)
#include "protocol_options.moc"
