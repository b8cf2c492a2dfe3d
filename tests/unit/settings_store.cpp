#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <unistd.h>

#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"

// The store under the test runner's private configuration folders, logging to a file.
class SettingsStoreTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TLog> log;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<SettingsStore> store;
    QString logPath;

    QStringList logLines()
    {
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                lines << QString::fromUtf8(line);
        }
        return lines;
    }
    QByteArray fileBytes()
    {
        QFile file(store->filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void putFile(const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(store->filePath()).path());
        QFile file(store->filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // Runs `f` without root's right to ignore file permissions.
    template <typename F> void asOrdinaryUser(F f)
    {
        const bool root = geteuid() == 0;
        if (root)
            QVERIFY(seteuid(65534) == 0);
        f();
        if (root)
            QVERIFY(seteuid(0) == 0);
    }

private slots:
    void init()
    {
        logPath = QDir::temp().filePath(QStringLiteral("settings-log.txt"));
        QFile::remove(logPath);
        log = std::make_unique<TLog>(logPath);
        log->setDateStamp(false);
        log->setTimeStamp(false);
        prompt = std::make_unique<RecordingPrompt>();
        store = std::make_unique<SettingsStore>(
            SettingsFolders::fromEnvironment(), *log, [this](const QString &text) { prompt->warning(text); });
        QFile::remove(store->filePath());
        store->setRoot(SettingsStore::Root::Machine);
        QFile::remove(store->filePath());
        store->setRoot(SettingsStore::Root::User);
    }

    void folders()
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("TARNEX_CONFIG_HOME"), QStringLiteral("/c/"));
        env.insert(QStringLiteral("TARNEX_SYSTEM_CONFIG"), QStringLiteral("/s"));
        const SettingsFolders f = SettingsFolders::fromEnvironment(env);
        QCOMPARE(f.user, QStringLiteral("/c/Ornwick/Tarnex/7.0"));
        QCOMPARE(f.machine, QStringLiteral("/s/Ornwick/Tarnex/7.0"));
        QProcessEnvironment plain;
        plain.insert(QStringLiteral("HOME"), QStringLiteral("/home/u"));
        const SettingsFolders d = SettingsFolders::fromEnvironment(plain);
        QCOMPARE(d.user, QStringLiteral("/home/u/.config/Ornwick/Tarnex/7.0"));
        QCOMPARE(d.machine, QStringLiteral("/etc/xdg/Ornwick/Tarnex/7.0"));
    }

    void firstStartReadsDefaultsAndCreatesNothing()
    {
        QCOMPARE(store->read(Setting::MainformW), 649);
        QCOMPARE(store->read(Setting::TFontName), QStringLiteral("Terminal"));
        QCOMPARE(store->read(Setting::Extended), true);
        QCOMPARE(store->read(Setting::AP), QByteArray());
        QCOMPARE(store->read(Setting::OnConnectWav, QStringLiteral("/s/glock.wav")),
            QStringLiteral("/s/glock.wav"));
        QCOMPARE(logLines(),
            QStringList({"Reading Integer:\\MainformW", "Reading string:\\TFontName",
                "Reading Boolean:\\Extended", "Reading BinaryData:\\AP", "Reading string:\\OnConnectWav"}));
        QVERIFY(prompt->shown().isEmpty());
        QVERIFY(!QFileInfo::exists(QFileInfo(store->filePath()).path()));
        store->write(Setting::Rows, 50);
        QVERIFY(QFileInfo::exists(store->filePath()));
        QCOMPARE(store->read(Setting::Rows), 50);
    }

    void valuesRoundTrip()
    {
        const QString text = QStringLiteral("a\\b\nc\r\td=e # \x01 \u00e9\u4e2d  ");
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
        store->WriteSettingString({}, QStringLiteral("Text"), text);
        store->WriteSettingString({}, QStringLiteral("Empty"), QString());
        store->WriteSettingString({}, QStringLiteral("#odd=name "), QStringLiteral("x"));
        store->WriteSettingInteger({}, QStringLiteral("Min"), std::numeric_limits<qint32>::min());
        store->WriteSettingInteger({}, QStringLiteral("Max"), std::numeric_limits<qint32>::max());
        store->WriteSettingBool({}, QStringLiteral("On"), true);
        store->WriteSettingBool({}, QStringLiteral("Off"), false);
        store->WriteSettingBinary({}, QStringLiteral("Bytes"), bytes);
        store->write(Setting::DInit, QString::fromLatin1(Setting::emptyModemCommand));

        QCOMPARE(store->ReadSettingString({}, QStringLiteral("Text"), {}), text);
        QCOMPARE(store->ReadSettingString({}, QStringLiteral("Empty"), QStringLiteral("dflt")), QString());
        QCOMPARE(store->ReadSettingString({}, QStringLiteral("#odd=name "), {}), QStringLiteral("x"));
        QCOMPARE(store->ReadSettingInteger({}, QStringLiteral("Min"), 0), std::numeric_limits<qint32>::min());
        QCOMPARE(store->ReadSettingInteger({}, QStringLiteral("Max"), 0), std::numeric_limits<qint32>::max());
        QCOMPARE(store->ReadSettingBool({}, QStringLiteral("On"), false), true);
        QCOMPARE(store->ReadSettingBool({}, QStringLiteral("Off"), true), false);
        QCOMPARE(store->ReadSettingInteger({}, QStringLiteral("On"), 0), 1);
        QCOMPARE(store->ReadSettingBinary({}, QStringLiteral("Bytes")), bytes);
        QCOMPARE(store->read(Setting::DInit), QStringLiteral("`"));
        QVERIFY(prompt->shown().isEmpty());
        // Human-readable: one line per value.
        QVERIFY(fileBytes().contains("\nMax=int:2147483647\n"));
        QVERIFY(fileBytes().contains("\nOn=int:1\n"));
    }

    void namesMatchWithoutCaseAndKeepFirstSpelling()
    {
        store->write(Setting::Exitondis, true); // written as "ExitOnDis"
        QCOMPARE(store->ReadSettingBool({}, QStringLiteral("exitondis"), false), true);
        store->WriteSettingBool({}, QStringLiteral("EXITONDIS"), false);
        QCOMPARE(store->read(Setting::Exitondis), false);
        const QByteArray bytes = fileBytes();
        QVERIFY(bytes.contains("\nExitOnDis=int:0\n"));
        QVERIFY(!bytes.contains("EXITONDIS"));
        QCOMPARE(bytes.toLower().count("exitondis="), 1);
    }

    void wrongTypeWarnsAndGivesDefault_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("warning");
        QTest::newRow("string read as integer") << QByteArray("Rows=str:30") << "int"
                                                << "Failed on read integer:\\Rows";
        QTest::newRow("integer read as string") << QByteArray("Rows=int:30") << "str"
                                                << "Failed on read string:\\Rows";
        QTest::newRow("string read as boolean") << QByteArray("Rows=str:1") << "bool"
                                                << "Failed on read boolean:\\Rows";
        QTest::newRow("integer read as binary") << QByteArray("Rows=int:3") << "bin"
                                                << "Failed on read binary data:\\Rows";
        QTest::newRow("bad integer") << QByteArray("Rows=int:3x") << "int"
                                     << "Failed on read integer:\\Rows";
        QTest::newRow("integer overflow") << QByteArray("Rows=int:2147483648") << "int"
                                          << "Failed on read integer:\\Rows";
        QTest::newRow("odd hex") << QByteArray("Rows=bin:abc") << "bin"
                                 << "Failed on read binary data:\\Rows";
        QTest::newRow("bad escape") << QByteArray("Rows=str:a\\q") << "str"
                                    << "Failed on read string:\\Rows";
        QTest::newRow("unknown type") << QByteArray("Rows=float:2.5") << "int"
                                      << "Failed on read integer:\\Rows";
    }
    void wrongTypeWarnsAndGivesDefault()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, reader);
        QFETCH(QString, warning);
        putFile("# hand made\n" + stored + "\n");
        if (reader == QLatin1String("int"))
            QCOMPARE(store->ReadSettingInteger({}, QStringLiteral("Rows"), 25), 25);
        else if (reader == QLatin1String("str"))
            QCOMPARE(store->ReadSettingString({}, QStringLiteral("Rows"), QStringLiteral("d")),
                QStringLiteral("d"));
        else if (reader == QLatin1String("bool"))
            QCOMPARE(store->ReadSettingBool({}, QStringLiteral("Rows"), true), true);
        else
            QCOMPARE(store->ReadSettingBinary({}, QStringLiteral("Rows")), QByteArray());
        QCOMPARE(prompt->shown().size(), 1);
        QCOMPARE(prompt->shown().first().kind, RecordingPrompt::Kind::Warning);
        QCOMPARE(prompt->shown().first().text, warning);
        QCOMPARE(logLines().value(logLines().size() - 1), warning);
    }

    void binaryReadIsCutTo1024Bytes()
    {
        const QByteArray big(3000, 'z');
        store->write(Setting::AP, big);
        QCOMPARE(store->read(Setting::AP), big.left(1024));
        QVERIFY(fileBytes().contains(big.toHex())); // the whole value is kept
    }

    void writeKeepsOtherContent()
    {
        putFile("# my notes\r\n\r\nnot a value line\r\nRows=int:30\r\nOdd=float:1.5\r\nCols=int:132\r\n");
        store->write(Setting::Rows, 43);
        QCOMPARE(fileBytes(),
            QByteArray("# my notes\n\nnot a value line\nRows=int:43\nOdd=float:1.5\nCols=int:132\n"));
        QCOMPARE(store->read(Setting::Cols), 132);
    }

    void unreadableFileReadsDefaultsAndIsNotOverwritten()
    {
        putFile("Rows=int:30\n");
        QFile::setPermissions(store->filePath(), QFileDevice::WriteOwner);
        asOrdinaryUser([&] {
            QCOMPARE(store->read(Setting::Rows), 25);
            store->write(Setting::Cols, 100);
        });
        QCOMPARE(prompt->texts(), QStringList{"Failed on write Integer:\\Cols"});
        QFile::setPermissions(store->filePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fileBytes(), QByteArray("Rows=int:30\n"));
    }

    void machineRootIsSeparate()
    {
        store->setRoot(SettingsStore::Root::Machine);
        QVERIFY(store->write(Setting::AP, QByteArray("secret")));
        store->setRoot(SettingsStore::Root::User);
        QCOMPARE(store->read(Setting::AP), QByteArray());
        store->setRoot(SettingsStore::Root::Machine);
        QCOMPARE(store->read(Setting::AP), QByteArray("secret"));
    }

    // An ordinary user cannot write the machine-wide file: the write is reported
    // with the warning and the stored value stays.
    void machineWriteByOrdinaryUserFails()
    {
        store->setRoot(SettingsStore::Root::Machine);
        store->write(Setting::AP, QByteArray("old"));
        const QString dir = QFileInfo(store->filePath()).path();
        QFile::setPermissions(
            store->filePath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        QFile::setPermissions(dir,
            QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther);
        log->write(QStringLiteral("log opened"));
        asOrdinaryUser([&] { QVERIFY(!store->write(Setting::AP, QByteArray("new"))); });
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(prompt->texts(), QStringList{"Failed on write BinaryData:\\AP"});
        QCOMPARE(logLines().value(logLines().size() - 1), QStringLiteral("Failed on write BinaryData:\\AP"));
        QCOMPARE(store->read(Setting::AP), QByteArray("old"));
    }

    // A settings file far beyond any real size is not read: one warning,
    // the defaults, and the file left as it is.
    void absurdFileIsRefused()
    {
        {
            QFile file(store->filePath());
            QVERIFY(QDir().mkpath(QFileInfo(file).path()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Rows=int:30\n");
            QVERIFY(file.resize(SettingsStore::maxFileBytes + 1));
        }
        for (int i = 0; i < 3; ++i)
            QCOMPARE(store->ReadSettingInteger(QString(), QStringLiteral("Rows"), 25), 25);
        QCOMPARE(prompt->texts().size(), 1);
        QVERIFY(prompt->texts().first().contains(QStringLiteral("larger than")));
        QCOMPARE(QFileInfo(store->filePath()).size(), SettingsStore::maxFileBytes + 1);
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store.moc"
