#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <unistd.h>

#include "sessions/PhonebookEntry.h"
#include "sessions/PortNameRecord.h"
#include "sessions/store/RecordStore.h"

class PhonebookStoreTest : public QObject {
    Q_OBJECT

    QString dir;
    QString path;

    QByteArray contents() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void put(const QByteArray &bytes) const
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    std::unique_ptr<TRecordStore> phonebook() const
    {
        return std::make_unique<TRecordStore>(path, PhonebookEntry::fields(), PhonebookEntry::keyField());
    }
    static PhonebookEntry entry(const QString &name, const QString &phone = QString())
    {
        PhonebookEntry e = PhonebookEntry::newEntry();
        e.set(PhoneField::Name, name);
        e.set(PhoneField::Phone, phone);
        return e;
    }
    template <typename F> static StoreError::Code codeOf(F f)
    {
        try {
            f();
        } catch (const StoreError &e) {
            return e.code();
        }
        return StoreError::Code(0);
    }

private slots:
    void init()
    {
        dir = QDir::temp().filePath(QStringLiteral("pb"));
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        path = dir + QStringLiteral("/Phone.dat");
    }

    void entryTable()
    {
        int size = 0;
        for (const StoreField &f : PhonebookEntry::fields())
            size += f.maxLength + 1;
        QCOMPARE(size, 757);
        const PhonebookEntry fresh = PhonebookEntry::newEntry();
        QCOMPARE(fresh.get(PhoneField::baud), QStringLiteral("7"));
        QCOMPARE(fresh.get(PhoneField::EofTo), QStringLiteral("364"));
        QCOMPARE(fresh.get(PhoneField::Redialsecs), QStringLiteral("5"));
        QCOMPARE(fresh.value(QStringLiteral("wport")), QStringLiteral("telnet"));
    }

    void openCreatesAnEmptyStore()
    {
        auto store = phonebook();
        QCOMPARE(store->count(), 0);
        QCOMPARE(contents(), QByteArray("[Index]\n[Defaults]\n_Entries=0\n"));
    }

    void bareNameUsesFallbackFolderWithoutCase()
    {
        {
            QFile file(dir + QStringLiteral("/PHONE.DAT"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Index]\nOld=#\n[Defaults]\n_Entries=1\n");
        }
        TRecordStore store(
            QStringLiteral("Phone.Dat"), PhonebookEntry::fields(), PhonebookEntry::keyField(), dir);
        QCOMPARE(store.names(), QStringList{"Old"});
        QCOMPARE(store.filePath(), dir + QStringLiteral("/PHONE.DAT"));
        TRecordStore ports(
            QStringLiteral("ComName.Dat"), PortNameRecord::fields(), PortNameRecord::keyField(), dir);
        ports.add(PortNameRecord::make(3, QStringLiteral("Modem line")));
        QCOMPARE(ports.filePath(), dir + QStringLiteral("/ComName.Dat"));
        QCOMPARE(ports.read(PortNameRecord::keyFor(3)).value(1), QStringLiteral("Modem line"));
    }

    void addReadUpdateDelete()
    {
        auto store = phonebook();
        PhonebookEntry bbs = entry(QStringLiteral("Night Owl"), QString(41, '5'));
        bbs.set(PhoneField::Script, QStringLiteral("logon.scr"));
        store->add(bbs);
        QCOMPARE(store->count(), 1);
        const PhonebookEntry back(store->read(QStringLiteral("night owl")));
        QCOMPARE(back.get(PhoneField::Name), QStringLiteral("Night Owl"));
        QCOMPARE(back.get(PhoneField::Phone), QString(40, '5'));
        QVERIFY(back == bbs);
        QVERIFY(contents().contains("[Night Owl]\nPhone=5555555555555555555555555555555555555555\n"));
        QVERIFY(contents().contains("_Entries=1"));
        QVERIFY(!contents().contains("Device=")); // empty fields are not stored

        QVERIFY(store->exists(QStringLiteral("NIGHT OWL")));
        QCOMPARE(
            codeOf([&] { store->add(entry(QStringLiteral("night OWL"))); }), StoreError::Code::RecordExists);

        bbs.set(PhoneField::Script, QString());
        store->update(QStringLiteral("Night Owl"), bbs);
        QVERIFY(!contents().contains("Script="));
        QCOMPARE(PhonebookEntry(store->read(QStringLiteral("Night Owl"))).get(PhoneField::Script), QString());

        store->remove(QStringLiteral("night owl"));
        QCOMPARE(store->count(), 0);
        QVERIFY(!contents().contains("Night Owl"));
        QVERIFY(contents().contains("_Entries=0"));
    }

    // Several records rewritten with one write; an unlisted one among them
    // leaves the file as it was.
    void updateInPlaceWritesAllOrNone()
    {
        auto store = phonebook();
        store->add(entry(QStringLiteral("One"), QStringLiteral("1")));
        store->add(entry(QStringLiteral("Two"), QStringLiteral("2")));
        PhonebookEntry one = entry(QStringLiteral("ONE"), QStringLiteral("11"));
        PhonebookEntry two = entry(QStringLiteral("Two"), QStringLiteral("22"));
        store->updateInPlace({one, two});
        QCOMPARE(store->names(), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
        QCOMPARE(
            PhonebookEntry(store->read(QStringLiteral("one"))).get(PhoneField::Phone), QStringLiteral("11"));
        QCOMPARE(
            PhonebookEntry(store->read(QStringLiteral("two"))).get(PhoneField::Phone), QStringLiteral("22"));

        const QByteArray before = contents();
        one.set(PhoneField::Phone, QStringLiteral("111"));
        QCOMPARE(codeOf([&] {
            store->updateInPlace({one, entry(QStringLiteral("Three"))});
        }),
            StoreError::Code::RecordNotFound);
        QCOMPARE(contents(), before);
    }

    void missingRecords()
    {
        auto store = phonebook();
        QCOMPARE(codeOf([&] { store->read(QStringLiteral("x")); }), StoreError::Code::RecordNotFound);
        QCOMPARE(codeOf([&] { store->update(QStringLiteral("x"), entry(QStringLiteral("x"))); }),
            StoreError::Code::RecordNotFound);
        QCOMPARE(codeOf([&] { store->remove(QStringLiteral("x")); }), StoreError::Code::RecordNotFound);
        QCOMPARE(codeOf([&] { store->add(entry(QStringLiteral("a=b"))); }), StoreError::Code::InvalidName);
        QCOMPARE(codeOf([&] { store->add(entry(QStringLiteral("  "))); }), StoreError::Code::InvalidName);
    }

    // The file's own section names, in any case, are no entry names: an
    // entry "Index" listed its fields as entries and removing it removed the
    // index; an entry "Defaults" gave every entry its script.
    void sectionNamesAreRefused()
    {
        auto store = phonebook();
        store->add(entry(QStringLiteral("Night Owl"), QStringLiteral("5551234")));
        for (const char *name : {"Index", "index", "DEFAULTS", " Defaults "}) {
            const QString text = QString::fromLatin1(name);
            QCOMPARE(codeOf([&] { store->add(entry(text)); }), StoreError::Code::InvalidName);
            QCOMPARE(codeOf([&] { store->update(QStringLiteral("Night Owl"), entry(text)); }),
                StoreError::Code::InvalidName);
            QCOMPARE(codeOf([&] { store->remove(text); }), StoreError::Code::InvalidName);
        }
        QCOMPARE(store->count(), 1);
        QVERIFY(store->exists(QStringLiteral("Night Owl")));
    }

    // Two instances on a file system whose time stamps cannot tell their
    // writes apart: an update never brings back what the other changed.
    void coarseTimestampsLoseNoUpdate()
    {
        auto a = phonebook();
        auto b = phonebook();
        a->add(entry(QStringLiteral("Alpha"), QStringLiteral("111")));
        a->add(entry(QStringLiteral("Beta"), QStringLiteral("222")));
        QCOMPARE(b->count(), 2);
        const QDateTime stamp = QFileInfo(path).lastModified();
        a->update(QStringLiteral("Alpha"), entry(QStringLiteral("Alpha"), QStringLiteral("999")));
        {
            // Same size and same time stamp as b last saw.
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        b->update(QStringLiteral("Beta"), entry(QStringLiteral("Beta"), QStringLiteral("333")));
        auto c = phonebook();
        QCOMPARE(c->read(QStringLiteral("Alpha")).value(qsizetype(PhoneField::Phone)), QStringLiteral("999"));
        QCOMPARE(c->read(QStringLiteral("Beta")).value(qsizetype(PhoneField::Phone)), QStringLiteral("333"));
    }

    // One 8-bit byte no longer turns the whole file into Latin-1: it is read
    // as it is, and the file is written back as UTF-8 with the user's text.
    void eightBitFileKeepsNewText()
    {
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Index]\nCaf\xe9=#\n[Defaults]\n_Entries=1\n[Caf\xe9]\nPhone=1\n");
        }
        auto store = phonebook();
        QVERIFY(store->exists(QStringLiteral("Caf\u00e9")));
        store->add(entry(QStringLiteral("\u041c\u043e\u0441\u043a\u0432\u0430"), QStringLiteral("2")));
        auto again = phonebook();
        QVERIFY(again->exists(QStringLiteral("\u041c\u043e\u0441\u043a\u0432\u0430")));
        QVERIFY(again->exists(QStringLiteral("Caf\u00e9")));
        QVERIFY(!contents().contains("?"));
    }

    // A file far beyond any real phonebook is refused, not parsed, and kept.
    void absurdFileIsRefused()
    {
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(TRecordStore::maxFileBytes + 1));
        }
        auto store = phonebook();
        QCOMPARE(codeOf([&] { store->count(); }), StoreError::Code::CannotRead);
        QCOMPARE(QFileInfo(path).size(), TRecordStore::maxFileBytes + 1);
    }

    void renameMovesRecordToTheEnd()
    {
        auto store = phonebook();
        for (const char *name : {"Alpha", "Beta", "Gamma"})
            store->add(entry(QString::fromLatin1(name), QStringLiteral("123")));
        store->update(QStringLiteral("alpha"), entry(QStringLiteral("Delta"), QStringLiteral("456")));
        QCOMPARE(store->names(), QStringList({"Beta", "Gamma", "Delta"}));
        QVERIFY(!contents().contains("[Alpha]"));
        QCOMPARE(PhonebookEntry(store->read(QStringLiteral("Delta"))).get(PhoneField::Phone),
            QStringLiteral("456"));
        // Renaming onto another record's name fails and keeps both records.
        const QByteArray before = contents();
        QCOMPARE(codeOf([&] { store->update(QStringLiteral("Beta"), entry(QStringLiteral("GAMMA"))); }),
            StoreError::Code::RecordExists);
        QCOMPARE(contents(), before);
        // A change of case only rewrites the record in place.
        store->update(QStringLiteral("beta"), entry(QStringLiteral("BETA"), QStringLiteral("789")));
        QCOMPARE(store->names(), QStringList({"Beta", "Gamma", "Delta"}));
        QCOMPARE(PhonebookEntry(store->read(QStringLiteral("Beta"))).get(PhoneField::Phone),
            QStringLiteral("789"));
    }

    // A file edited by hand: other line ends, blank lines, keys in other case,
    // comments, unknown keys and sections, defaults, "#", a wrong count.
    void handEditedFile()
    {
        put("; my phonebook\r\n[index]\r\nFirst=#\r\n second = # "
            "\r\n\r\nThird=#\r\n\r\n[DEFAULTS]\r\n_entries=1\r\n"
            "Init=AT&F\r\nDialCmd=ATDP\r\n\r\n[First]\r\nPHONE=555-1234\r\ndialcmd=#\r\nColour=blue\r\n\r\n"
            "[Second]\r\nwip=bbs.example.org\r\nWIP=second.example.org\r\n\r\n[Extra]\r\nkeep=me\r\n");
        auto store = phonebook();
        QCOMPARE(store->names(), QStringList({"First", "second", "Third"}));
        QCOMPARE(store->count(), 3);
        const PhonebookEntry first(store->read(QStringLiteral("first")));
        QCOMPARE(first.get(PhoneField::Phone), QStringLiteral("555-1234"));
        QCOMPARE(first.get(PhoneField::DialCmd), QString()); // "#" overrides the default
        QCOMPARE(first.get(PhoneField::Init), QStringLiteral("AT&F"));
        const PhonebookEntry second(store->read(QStringLiteral("SECOND")));
        QCOMPARE(second.get(PhoneField::Name), QStringLiteral("second"));
        QCOMPARE(second.get(PhoneField::Wip), QStringLiteral("bbs.example.org"));
        QCOMPARE(second.get(PhoneField::DialCmd), QStringLiteral("ATDP"));
        const PhonebookEntry third(store->read(QStringLiteral("Third")));
        QCOMPARE(third.get(PhoneField::Phone), QString());
        // Read all at once, the same records.
        QCOMPARE(store->readAll(), (QList<StoreRecord>{first, second, third}));

        PhonebookEntry changed = first;
        changed.set(PhoneField::Phone, QStringLiteral("555-9999"));
        store->update(QStringLiteral("First"), changed);
        QCOMPARE(contents(),
            QByteArray(
                "; my phonebook\r\n[index]\r\nFirst=#\r\n second = # \r\n\r\nThird=#\r\n\r\n[DEFAULTS]\r\n"
                "_entries=3\r\nInit=AT&F\r\nDialCmd=ATDP\r\n\r\n[First]\r\nPHONE=555-9999\r\ndialcmd=#\r\n"
                "Colour=blue\r\nInit=AT&F\r\n\r\n[Second]\r\nwip=bbs.example.org\r\nWIP=second.example.org"
                "\r\n\r\n[Extra]\r\nkeep=me\r\n"));
    }

    void valuesStayOnTheirLine()
    {
        auto store = phonebook();
        store->add(entry(QStringLiteral("Evil"), QStringLiteral("1\r\n[Index]\nx=#")));
        QCOMPARE(store->names(), QStringList{"Evil"});
        QCOMPARE(PhonebookEntry(store->read(QStringLiteral("Evil"))).get(PhoneField::Phone),
            QStringLiteral("1  [Index] x=#"));
    }

    void fullAt999Records()
    {
        QByteArray file = "[Index]\n";
        for (int i = 0; i < 999; ++i)
            file += "R" + QByteArray::number(i) + "=#\n";
        file += "[Defaults]\n_Entries=5\n";
        put(file);
        auto store = phonebook();
        QCOMPARE(store->names().size(), 999);
        QCOMPARE(store->names().last(), QStringLiteral("R998"));
        QCOMPARE(
            codeOf([&] { store->add(entry(QStringLiteral("One more"))); }), StoreError::Code::DatabaseFull);
        store->remove(QStringLiteral("R5"));
        store->add(entry(QStringLiteral("One more")));
        QCOMPARE(store->count(), 999);
        QVERIFY(contents().contains("_Entries=999\n"));
    }

    void configurationLimits_data()
    {
        QTest::addColumn<StoreFields>("fields");
        QTest::addColumn<int>("code");
        QTest::newRow("no fields") << StoreFields{} << int(StoreError::Code::FieldListEmpty);
        QTest::newRow("no key field") << StoreFields{{"Other", 5}} << int(StoreError::Code::FieldListEmpty);
        QTest::newRow("long field name")
            << StoreFields{{"Key", 10}, {QString(22, 'f'), 5}} << int(StoreError::Code::FieldTooLong);
        QTest::newRow("long key") << StoreFields{{"Key", 32}} << int(StoreError::Code::FieldTooLong);
        QTest::newRow("large record")
            << StoreFields{{"Key", 10}, {"Big", 65510}} << int(StoreError::Code::RecordTooLarge);
        QTest::newRow("largest record") << StoreFields{{"Key", 10}, {"Big", 65508}} << 0;
    }
    void configurationLimits()
    {
        QFETCH(StoreFields, fields);
        QFETCH(int, code);
        QCOMPARE(int(codeOf([&] { TRecordStore(path, fields, QStringLiteral("Key")); })), code);
    }

    void unparsableFileIsKeptAside()
    {
        const QByteArray junk("\x7f"
                              "ELF\x02\x01\x00\x00garbage",
            16);
        put(junk);
        QStringList warnings;
        auto store = phonebook();
        store->setWarningHandler([&](const QString &text) { warnings << text; });
        QCOMPARE(store->count(), 0);
        QCOMPARE(warnings.size(), 1);
        const QStringList aside = QDir(dir).entryList({QStringLiteral("Phone.dat.unreadable-*")});
        QCOMPARE(aside.size(), 1);
        QVERIFY(warnings.first().contains(aside.first()));
        QFile kept(dir + QLatin1Char('/') + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), junk);
        QCOMPARE(contents(), QByteArray("[Index]\n[Defaults]\n_Entries=0\n"));
    }

    void unreadableFileIsNeverReplaced()
    {
        put("[Index]\nKeep=#\n[Defaults]\n_Entries=1\n");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        auto store = phonebook();
        const bool root = geteuid() == 0;
        if (root)
            QVERIFY(seteuid(65534) == 0);
        const StoreError::Code code = codeOf([&] { store->count(); });
        if (root)
            QVERIFY(seteuid(0) == 0);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(code == StoreError::Code::CannotRead || code == StoreError::Code::CannotWrite);
        QCOMPARE(contents(), QByteArray("[Index]\nKeep=#\n[Defaults]\n_Entries=1\n"));
    }

    void secondInstanceSeesChanges()
    {
        auto a = phonebook();
        auto b = phonebook();
        QCOMPARE(b->count(), 0);
        a->add(entry(QStringLiteral("Shared"), QStringLiteral("1")));
        QVERIFY(b->exists(QStringLiteral("Shared")));
        b->add(entry(QStringLiteral("Other")));
        QCOMPARE(a->names(), QStringList({"Shared", "Other"}));
    }
};

QTEST_GUILESS_MAIN(PhonebookStoreTest)
#include "phonebook_store.moc"
