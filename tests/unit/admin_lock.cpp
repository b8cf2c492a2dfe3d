#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <unistd.h>

#include "extras/AdminDialogs.h"
#include "extras/AdminLock.h"
#include "extras/AdminSecret.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/ScriptedAdminDialogs.h"
#include "support/TestFiles.h"

namespace {

const QString asterisks(15, QLatin1Char('*'));
const QString notAuthorized = QStringLiteral("You are not authorized to use this function.");
const QString incorrect = QStringLiteral("Incorrect Password");
const QString mismatch = QStringLiteral("New passwords do not match.");
const QString notAdministrator = QStringLiteral("You must be logged in as administrator to change password");

} // namespace

// The lock over the test runner's private machine-wide folder, the store's own
// failures shown through the same prompt as the window does.
class AdminLockTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TLog> log;
    RecordingPrompt prompt;
    ScriptedAdminDialogs dialogs;
    std::unique_ptr<SettingsStore> store;
    QString logPath;

    std::unique_ptr<AdminLock> makeLock()
    {
        return std::make_unique<AdminLock>(*store, prompt, dialogs, *log);
    }
    QString machineFile()
    {
        store->setRoot(SettingsStore::Root::Machine);
        const QString path = store->filePath();
        store->setRoot(SettingsStore::Root::User);
        return path;
    }
    QByteArray storedAP()
    {
        store->setRoot(SettingsStore::Root::Machine);
        const QByteArray value = store->read(Setting::AP);
        store->setRoot(SettingsStore::Root::User);
        return value;
    }
    void putAP(const QByteArray &value)
    {
        store->setRoot(SettingsStore::Root::Machine);
        QVERIFY(store->write(Setting::AP, value));
        store->setRoot(SettingsStore::Root::User);
    }
    // Sets the password from no password through the dialog.
    void setFirstPassword(AdminLock &lock, const QString &password)
    {
        dialogs.presses = {{QString(), password, password}};
        lock.AdminPassword1Click();
        QVERIFY(dialogs.presses.isEmpty());
        QCOMPARE(prompt.texts(), QStringList());
    }
    bool check(AdminLock &lock, const QString &typed)
    {
        dialogs.typed = {typed};
        return lock.AdminCheck();
    }

private slots:
    void init()
    {
        logPath = QDir::temp().filePath(QStringLiteral("admin-log.txt"));
        QFile::remove(logPath);
        log = std::make_unique<TLog>(logPath);
        prompt.clear();
        dialogs = ScriptedAdminDialogs();
        store = std::make_unique<SettingsStore>(
            SettingsFolders::fromEnvironment(), *log, [this](const QString &text) { prompt.warning(text); });
        QFile::remove(machineFile());
    }

    void noPasswordAllowsWithoutAsking()
    {
        auto lock = makeLock();
        QVERIFY(!lock->isLocked());
        QVERIFY(lock->AdminCheck());
        QCOMPARE(dialogs.accessAsked, 0);
        QCOMPARE(prompt.texts(), QStringList());
    }

    void checkComparesExactly_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("same") << "Sesame"
                              << "Sesame" << true;
        QTest::newRow("case") << "Sesame"
                              << "sesame" << false;
        QTest::newRow("nothing typed") << "Sesame"
                                       << "" << false;
        QTest::newRow("trailing blanks typed") << "Sesame  "
                                               << "Sesame  " << true;
        QTest::newRow("trailing blanks left off") << "Sesame  "
                                                  << "Sesame" << false;
        QTest::newRow("leading blank left off") << " Sesame"
                                                << "Sesame" << false;
        QTest::newRow("blank added") << "Sesame"
                                     << "Sesame " << false;
        QTest::newRow("non-latin") << "p\u00e4ss\u20ac"
                                   << "p\u00e4ss\u20ac" << true;
    }
    void checkComparesExactly()
    {
        QFETCH(QString, password);
        QFETCH(QString, typed);
        QFETCH(bool, allowed);
        auto lock = makeLock();
        setFirstPassword(*lock, password);
        // Asked every time: a right answer is not remembered.
        for (int round = 0; round < 2; ++round) {
            prompt.clear();
            QCOMPARE(check(*lock, typed), allowed);
            QCOMPARE(prompt.texts(), allowed ? QStringList() : QStringList{notAuthorized});
        }
        QCOMPARE(dialogs.accessAsked, 2);
    }

    // The old field is compared with the password without its outer blanks.
    void oldPasswordIsTheTrimmedOne_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("old");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("none, asterisks left") << "" << asterisks << false;
        QTest::newRow("none, emptied") << ""
                                       << "" << true;
        QTest::newRow("plain") << "Sesame"
                               << "Sesame" << true;
        QTest::newRow("case") << "Sesame"
                              << "SESAME" << false;
        QTest::newRow("blanks removed") << "  Sesame  "
                                        << "Sesame" << true;
        QTest::newRow("blanks as typed") << "Sesame  "
                                         << "Sesame  " << false;
        QTest::newRow("inner blank kept") << "Open Sesame "
                                          << "Open Sesame" << true;
        QTest::newRow("only blanks") << "   "
                                     << "" << true;
    }
    void oldPasswordIsTheTrimmedOne()
    {
        QFETCH(QString, password);
        QFETCH(QString, old);
        QFETCH(bool, accepted);
        auto lock = makeLock();
        if (!password.isEmpty())
            setFirstPassword(*lock, password);
        dialogs.presses = {{old, QStringLiteral("next"), QStringLiteral("next")}};
        lock->AdminPassword1Click();
        QCOMPARE(prompt.texts(), accepted ? QStringList() : QStringList{incorrect});
        // A refused change leaves the old password (or none) in effect.
        QVERIFY(check(*lock, accepted ? QStringLiteral("next") : password));
    }

    // A refused OK keeps the dialog open for another try; Cancel changes nothing.
    void refusedOkStaysOpen()
    {
        auto lock = makeLock();
        setFirstPassword(*lock, QStringLiteral("first"));
        dialogs.presses = {{asterisks, QStringLiteral("a"), QStringLiteral("a")},
            {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("Second")},
            {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("second")}};
        lock->AdminPassword1Click();
        QCOMPARE(prompt.texts(), (QStringList{incorrect, mismatch}));
        QVERIFY(check(*lock, QStringLiteral("second")));

        const QByteArray stored = storedAP();
        prompt.clear();
        dialogs.presses = {{QStringLiteral("second"), QStringLiteral("x"), QStringLiteral("y")}};
        lock->AdminPassword1Click(); // mismatch, then cancelled
        QCOMPARE(prompt.texts(), QStringList{mismatch});
        QCOMPARE(storedAP(), stored);
        QVERIFY(check(*lock, QStringLiteral("second")));
    }

    void emptyNewPasswordRemovesTheLock()
    {
        auto lock = makeLock();
        setFirstPassword(*lock, QStringLiteral("Sesame"));
        dialogs.presses = {{QStringLiteral("Sesame"), QString(), QString()}};
        lock->AdminPassword1Click();
        QVERIFY(!lock->isLocked());
        QCOMPARE(storedAP(), QByteArray());
        QVERIFY(makeLock()->AdminCheck());
        QCOMPARE(dialogs.accessAsked, 0);
    }

    // The world-readable file holds salted digests, not the password, and they
    // are read back by the next start.
    void storedValueHoldsNoPasswordAndSurvivesReload()
    {
        const QString password = QStringLiteral("Hunter2 ");
        setFirstPassword(*makeLock(), password);
        const QByteArray stored = storedAP();
        QCOMPARE(stored.size(), 114);
        QVERIFY(stored.startsWith("PBKDF2-SHA256\x01"));
        QVERIFY(!stored.contains("Hunter2"));
        const QByteArray file = TestFiles::read(machineFile());
        QVERIFY(!file.contains("Hunter2"));
        QVERIFY(!file.toLower().contains(QByteArray("Hunter2").toHex()));

        auto reloaded = makeLock();
        QVERIFY(reloaded->isLocked());
        QVERIFY(check(*reloaded, password));
        QVERIFY(!check(*reloaded, QStringLiteral("Hunter2")));
        dialogs.presses = {{QStringLiteral("Hunter2"), QStringLiteral("x"), QStringLiteral("x")}};
        reloaded->AdminPassword1Click(); // the old field takes it without the blank
        QCOMPARE(prompt.texts(), QStringList{notAuthorized});
        QVERIFY(check(*reloaded, QStringLiteral("x")));

        // Fresh salts: the same password never gives the same stored value.
        QVERIFY(AdminSecret::seal(password).stored() != stored);
    }

    // A value this program did not write cannot be checked: it locks everything.
    void unknownStoredValueLocks_data()
    {
        QTest::addColumn<QByteArray>("value");
        const QByteArray good = AdminSecret::seal(QStringLiteral("pw")).stored();
        QTest::newRow("scrambled bytes") << QByteArray("\x9c\x1f\xe0\x05", 4);
        QTest::newRow("cut short") << good.left(good.size() - 1);
        QTest::newRow("longer") << good + '\0';
        QTest::newRow("other version") << QByteArray(good).replace(13, 1, "\x02");
        QTest::newRow("no iterations") << QByteArray(good).replace(14, 4, QByteArray(4, '\0'));
        QTest::newRow("absurd iterations") << QByteArray(good).replace(14, 4, QByteArray(4, '\xff'));
    }
    void unknownStoredValueLocks()
    {
        QFETCH(QByteArray, value);
        putAP(value);
        auto lock = makeLock();
        QVERIFY(lock->isLocked());
        QVERIFY(!check(*lock, QString()));
        QVERIFY(!check(*lock, QStringLiteral("pw")));
        dialogs.presses = {{QString(), QString(), QString()}, {asterisks, QString(), QString()}};
        lock->AdminPassword1Click();
        QCOMPARE(prompt.texts(), (QStringList{notAuthorized, notAuthorized, incorrect, incorrect}));
        QCOMPARE(storedAP(), value);
        QVERIFY(TestFiles::read(logPath).contains("AP is not in a known form"));
    }

    // A machine-wide file that is there but cannot be read may hold a
    // password: it locks, it does not open.
    void unreadableMachineFileLocks_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("value of another type") << QStringLiteral("type");
        QTest::newRow("file too large to read") << QStringLiteral("size");
        QTest::newRow("a folder in its place") << QStringLiteral("folder");
    }
    void unreadableMachineFileLocks()
    {
        QFETCH(QString, damage);
        const QString path = machineFile();
        QDir().mkpath(QFileInfo(path).path());
        if (damage == QLatin1String("type"))
            QVERIFY(TestFiles::write(path, "AP=str:pw\n"));
        else if (damage == QLatin1String("size"))
            QVERIFY(TestFiles::write(path, "# " + QByteArray(2 * 1024 * 1024, 'x') + "\n"));
        else
            QVERIFY(QDir().mkpath(path));
        auto lock = makeLock();
        QVERIFY(lock->isLocked());
        QVERIFY(!check(*lock, QString()));
        QVERIFY(!check(*lock, QStringLiteral("pw")));
        if (damage == QLatin1String("folder"))
            QDir(path).removeRecursively();
    }

    // An ordinary user cannot write the machine-wide file: the warning, the new
    // password for this run, and the stored one for the next.
    void unwritableMachineRootKeepsNewPasswordForTheRun()
    {
        auto lock = makeLock();
        setFirstPassword(*lock, QStringLiteral("stored"));
        const QByteArray stored = storedAP();
        const QString dir = QFileInfo(machineFile()).path();
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const bool root = geteuid() == 0;
        if (root)
            QVERIFY(seteuid(65534) == 0);
        dialogs.presses
            = {{QStringLiteral("stored"), QStringLiteral("run only"), QStringLiteral("run only")}};
        lock->AdminPassword1Click();
        if (root)
            QVERIFY(seteuid(0) == 0);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QCOMPARE(prompt.texts(), (QStringList{"Failed on write BinaryData:\\AP", notAdministrator}));
        QVERIFY(check(*lock, QStringLiteral("run only")));
        QVERIFY(!check(*lock, QStringLiteral("stored")));
        QCOMPARE(storedAP(), stored);
        QVERIFY(check(*makeLock(), QStringLiteral("stored")));
    }

    // Without a folder at all (its path runs through a file) the same holds, even for root.
    void impossibleMachineFolder()
    {
        const QString file = QDir::temp().filePath(QStringLiteral("not-a-folder"));
        QVERIFY(TestFiles::write(file, "x"));
        SettingsFolders folders = SettingsFolders::fromEnvironment();
        folders.machine = file + QStringLiteral("/Ornwick/Tarnex/7.0");
        store = std::make_unique<SettingsStore>(
            folders, *log, [this](const QString &text) { prompt.warning(text); });
        auto lock = makeLock();
        dialogs.presses = {{QString(), QStringLiteral("p"), QStringLiteral("p")}};
        lock->AdminPassword1Click();
        QCOMPARE(prompt.texts().last(), notAdministrator);
        QVERIFY(lock->isLocked());
        QVERIFY(check(*lock, QStringLiteral("p")));
        QVERIFY(!makeLock()->isLocked());
    }

    // Reads and writes go back to the per-user settings afterwards.
    void userRootAfterwards()
    {
        auto lock = makeLock();
        QCOMPARE(store->root(), SettingsStore::Root::User);
        setFirstPassword(*lock, QStringLiteral("p"));
        QCOMPARE(store->root(), SettingsStore::Root::User);
        store->setRoot(SettingsStore::Root::User);
        QCOMPARE(store->read(Setting::AP), QByteArray());
    }
};

QTEST_GUILESS_MAIN(AdminLockTest)
#include "admin_lock.moc"
