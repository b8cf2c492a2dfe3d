#include <QTest>

#include "sessions/EntryEditorFields.h"

// What the phonebook window shows in its entry dialogs and stores back.
class PhonebookEditorFieldsTest : public QObject {
    Q_OBJECT

    static PhonebookEntry entryWith(const QList<std::pair<PhoneField, QString>> &values)
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, QStringLiteral("Board"));
        for (const auto &[field, text] : values)
            entry.set(field, text);
        return entry;
    }

private slots:
    // Odd stored values and the editor items they show.
    void shownItems_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("redial");
        QTest::addColumn<int>("protocolItem");
        QTest::addColumn<int>("terminalItem");
        QTest::addColumn<int>("keyboardItem");
        QTest::addColumn<int>("redialValue");
        QTest::newRow("plain") << "8"
                               << "3"
                               << "VT52"
                               << "9" << 8 << 2 << 1 << 9;
        QTest::newRow("protocol past B+") << "12"
                                          << "1"
                                          << "ANSI"
                                          << "5" << 7 << 0 << 0 << 5;
        QTest::newRow("not numbers") << "x"
                                     << "y"
                                     << ""
                                     << "z" << 7 << 0 << 0 << 5;
        QTest::newRow("negative protocol") << "-1"
                                           << "5"
                                           << "TN3270"
                                           << "2" << 7 << 4 << 3 << 2;
        QTest::newRow("term zero") << "0"
                                   << "0"
                                   << "VT100A"
                                   << "5" << 0 << 0 << 2 << 5;
        QTest::newRow("VT100N") << "10"
                                << "2"
                                << "VT100N"
                                << "5" << 10 << 1 << 2 << 5;
        QTest::newRow("VT220A") << "1"
                                << "4"
                                << "VT220A"
                                << "5" << 1 << 3 << 4 << 5;
        QTest::newRow("unknown key") << "1"
                                     << "4"
                                     << "WYSE"
                                     << "5" << 1 << 3 << 0 << 5;
    }
    void shownItems()
    {
        QFETCH(QString, protocol);
        QFETCH(QString, term);
        QFETCH(QString, key);
        QFETCH(QString, redial);
        PhonebookEntry entry = entryWith({{PhoneField::Protocol, protocol}, {PhoneField::Term, term},
            {PhoneField::Key, key}, {PhoneField::Redialtrys, redial}, {PhoneField::Redialsecs, redial}});
        const SessionEditorFields fields = sessionEditorFields(entry);
        QTEST(fields.protocol, "protocolItem");
        QTEST(fields.terminal, "terminalItem");
        QTEST(fields.keyboard, "keyboardItem");
        QTEST(fields.retries, "redialValue");
        QTEST(fields.waitSeconds, "redialValue");
        if (term == QStringLiteral("0"))
            QCOMPARE(entry.get(PhoneField::Term), QStringLiteral("1"));
    }

    // Every item back to its stored text.
    void storedTexts_data()
    {
        QTest::addColumn<int>("keyboard");
        QTest::addColumn<QString>("key");
        QTest::newRow("ANSI") << 0 << "ANSI";
        QTest::newRow("VT52") << 1 << "VT52";
        QTest::newRow("VT100") << 2 << "VT100N";
        QTest::newRow("TN3270") << 3 << "TN3270";
        QTest::newRow("VT220") << 4 << "VT220N";
    }
    void storedTexts()
    {
        QFETCH(int, keyboard);
        PhonebookEntry entry = entryWith({{PhoneField::Device, QStringLiteral("Modem")}});
        SessionEditorFields fields = sessionEditorFields(entry);
        fields.keyboard = keyboard;
        fields.terminal = 4;
        fields.protocol = 9;
        fields.tcp = true;
        fields.server = false;
        fields.answer = true;
        fields.phone = QString(45, QLatin1Char('5'));
        fields.script = QString(90, QLatin1Char('s'));
        fields.address = QString(50, QLatin1Char('a'));
        fields.tcpPort = QStringLiteral("12345678901");
        fields.retries = 123456;
        fields.waitSeconds = 30;
        fields.iconIndex = 3;
        fields.iconName = QStringLiteral("bbs.png");
        fields.name = QStringLiteral("ignored here");
        applySessionEditor(fields, entry);
        QTEST(entry.get(PhoneField::Key), "key");
        QCOMPARE(entry.get(PhoneField::Term), QStringLiteral("5"));
        QCOMPARE(entry.get(PhoneField::Protocol), QStringLiteral("9"));
        QCOMPARE(entry.get(PhoneField::Contype), QStringLiteral("1"));
        QCOMPARE(entry.get(PhoneField::Wmode), QStringLiteral("0"));
        QCOMPARE(entry.get(PhoneField::AA), QStringLiteral("1"));
        QCOMPARE(entry.get(PhoneField::Phone), QString(40, QLatin1Char('5')));
        QCOMPARE(entry.get(PhoneField::Script), QString(80, QLatin1Char('s')));
        QCOMPARE(entry.get(PhoneField::Wip), QString(40, QLatin1Char('a')));
        QCOMPARE(entry.get(PhoneField::WPort), QStringLiteral("1234567890"));
        QCOMPARE(entry.get(PhoneField::Redialtrys), QStringLiteral("12345"));
        QCOMPARE(entry.get(PhoneField::Redialsecs), QStringLiteral("30"));
        QCOMPARE(entry.get(PhoneField::Image), QStringLiteral("3"));
        QCOMPARE(entry.get(PhoneField::iconname), QStringLiteral("bbs.png"));
        // Left to the editor itself.
        QCOMPARE(entry.get(PhoneField::Name), QStringLiteral("Board"));
        QCOMPARE(entry.get(PhoneField::Device), QStringLiteral("Modem"));
    }

    void newEntryStartsSerialClient()
    {
        const SessionEditorFields fields = newSessionEditorFields(PhonebookEntry::newEntry());
        QCOMPARE(fields.name, QString());
        QCOMPARE(fields.last, QString());
        QCOMPARE(fields.address, QStringLiteral("127.0.0.1"));
        QCOMPARE(fields.tcpPort, QStringLiteral("telnet"));
        QVERIFY(!fields.tcp && !fields.server && !fields.answer);
        QCOMPARE(fields.protocol, 7);
    }

    void ftpRoundTrip()
    {
        PhonebookEntry entry = entryWith({{PhoneField::fHost, QStringLiteral("ftp.example.org")},
            {PhoneField::fPort, QStringLiteral("21")}, {PhoneField::fName, QStringLiteral("anon")},
            {PhoneField::fPass, QStringLiteral("pw")}, {PhoneField::fPassive, QStringLiteral("0")},
            {PhoneField::Image, QStringLiteral("40")}});
        QVERIFY(isFtpEntry(entry));
        FtpEditorFields fields = ftpEditorFields(entry, 4);
        QCOMPARE(fields.host, QStringLiteral("ftp.example.org"));
        QCOMPARE(fields.login, QStringLiteral("anon"));
        QVERIFY(!fields.passive);
        QCOMPARE(fields.iconIndex, 3);
        QCOMPARE(ftpEditorFields(entry, 0).iconIndex, 0);

        fields.host = QString(35, QLatin1Char('h'));
        fields.port = QStringLiteral("1234567");
        fields.login = QString(35, QLatin1Char('l'));
        fields.password = QString(25, QLatin1Char('p'));
        fields.passive = true;
        fields.iconIndex = 1;
        applyFtpEditor(fields, QString(130, QLatin1Char('i')), entry);
        QCOMPARE(entry.get(PhoneField::fHost), QString(30, QLatin1Char('h')));
        QCOMPARE(entry.get(PhoneField::fPort), QStringLiteral("12345"));
        QCOMPARE(entry.get(PhoneField::fName), QString(30, QLatin1Char('l')));
        QCOMPARE(entry.get(PhoneField::fPass), QString(20, QLatin1Char('p')));
        QCOMPARE(entry.get(PhoneField::fPassive), QStringLiteral("0"));
        QCOMPARE(entry.get(PhoneField::Image), QStringLiteral("1"));
        QCOMPARE(entry.get(PhoneField::iconname), QString(128, QLatin1Char('i')));
    }

    void iconLimits_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("icon");
        QTest::newRow("inside") << "2" << 5 << 2;
        QTest::newRow("past the end") << "99" << 5 << 4;
        QTest::newRow("not a number") << "ab" << 5 << 0;
        QTest::newRow("negative") << "-3" << 5 << 0;
        QTest::newRow("no icons") << "2" << 0 << -1;
    }
    void iconLimits()
    {
        QFETCH(QString, image);
        QFETCH(int, count);
        QTEST(limitedIcon(image, count), "icon");
    }

    void diallable_data()
    {
        QTest::addColumn<PhoneField>("field");
        QTest::addColumn<bool>("diallable");
        QTest::newRow("device") << PhoneField::Device << true;
        QTest::newRow("FTP host") << PhoneField::fHost << true;
        QTest::newRow("TCP address") << PhoneField::Wip << true;
        QTest::newRow("phone only") << PhoneField::Phone << false;
    }
    void diallable()
    {
        QFETCH(PhoneField, field);
        PhonebookEntry entry;
        entry.set(PhoneField::Name, QStringLiteral("x"));
        entry.set(field, QStringLiteral("value"));
        QTEST(isDiallable(entry), "diallable");
    }
};

QTEST_GUILESS_MAIN(PhonebookEditorFieldsTest)
#include "phonebook_editor_fields.moc"
