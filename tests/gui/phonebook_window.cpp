#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "sessions/ui/PhoneList.h"
#include "support/PhonebookRig.h"

// "Sessions": listing, dialling, creating, editing and deleting phonebook
// entries, with scripted entry dialogs and a recording prompt.
class PhonebookWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PhonebookRig> rig;

    static QToolButton *button(TPhone &window, const char *name)
    {
        return window.findChild<QToolButton *>(QLatin1String(name));
    }
    static QTreeView *details(TPhone &window)
    {
        return window.findChild<QTreeView *>(QStringLiteral("details"));
    }
    static PhoneList *list(TPhone &window) { return window.findChild<PhoneList *>(); }
    static QAction *action(TPhone &window, const char *name)
    {
        return window.findChild<QAction *>(QLatin1String(name));
    }
    // Selects the rows (in list order), the last one focused.
    static void select(TPhone &window, const QList<int> &rows)
    {
        QTreeView *view = details(window);
        view->selectionModel()->clearSelection();
        for (int row : rows)
            view->selectionModel()->setCurrentIndex(
                view->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QStringList names() const { return rig->phonebook.names(); }
    PhonebookEntry stored(const QString &name) const { return PhonebookEntry(rig->phonebook.read(name)); }

private slots:
    void init()
    {
        rig = std::make_unique<PhonebookRig>();
        QVERIFY(rig->dir.isValid());
    }

    void opensSortedOnFirstEntry()
    {
        rig->addEntry(QStringLiteral("charlie"), QStringLiteral("333"));
        rig->addEntry(QStringLiteral("Alpha"), QStringLiteral("111"),
            {{PhoneField::Redialsecs, QStringLiteral("x")}, {PhoneField::Redialtrys, QStringLiteral("9")}});
        rig->addEntry(QStringLiteral("bravo"), QStringLiteral("222"));
        auto window = rig->window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Sessions"));
        PhoneList *shown = list(*window);
        QCOMPARE(shown->count(), 3);
        QCOMPARE((QStringList{shown->caption(0), shown->caption(1), shown->caption(2)}),
            (QStringList{QStringLiteral("Alpha"), QStringLiteral("bravo"), QStringLiteral("charlie")}));
        QCOMPARE(details(*window)->model()->headerData(2, Qt::Horizontal).toString(),
            QStringLiteral("Last Connect"));
        QCOMPARE(details(*window)->columnWidth(0), 155);
        QCOMPARE(details(*window)->columnWidth(2), 175);
        // The first item becomes the remembered selection and is read.
        QCOMPARE(rig->state.currentSessionName(), QStringLiteral("Alpha"));
        QCOMPARE(rig->state.currentEntry().get(PhoneField::Phone), QStringLiteral("111"));
        QCOMPARE(shown->focusedCaption(), QStringLiteral("Alpha"));
        QCOMPARE(rig->redials.last(), (std::pair{5, 9}));
        QVERIFY(rig->prompt.shown().isEmpty());
    }

    void toolBarInFifths()
    {
        auto window = rig->window();
        window->show();
        for (int width : {400, 733, 1021}) {
            window->resize(width, 400);
            QTest::qWait(1);
            QList<int> widths;
            for (const char *name : {"new", "trash", "dial", "properties", "help"})
                widths << button(*window, name)->width();
            const auto [least, most] = std::minmax_element(widths.begin(), widths.end());
            QVERIFY2(*most - *least <= 1, qPrintable(QString::number(width)));
        }
        QVERIFY(!button(*window, "dial")->toolTip().isEmpty());
        QTest::mouseClick(button(*window, "help"), Qt::LeftButton);
        QCOMPARE(rig->help.shown, QList<int>{19});
    }

    void dialsSelectedInListOrder()
    {
        for (const char *name : {"Delta", "bravo", "Alpha", "charlie"})
            rig->addEntry(QLatin1String(name), QStringLiteral("5551234"));
        auto window = rig->window();
        select(*window, {2, 0, 1});
        QTest::mouseClick(button(*window, "dial"), Qt::LeftButton);
        QCOMPARE(window->result(), TPhone::dialResult);
        QCOMPARE(rig->state.dialQueue().names,
            (QStringList{QStringLiteral("Alpha"), QStringLiteral("bravo"), QStringLiteral("charlie")}));
        QCOMPARE(rig->state.currentSessionName(), QStringLiteral("bravo"));
        QCOMPARE(rig->state.currentEntry().get(PhoneField::Name), QStringLiteral("bravo"));
    }

    // Dialled from a window run modally, by the space bar in the list.
    void spaceDialsFromExec()
    {
        rig->addEntry(QStringLiteral("Only"), QStringLiteral("1"));
        auto window = rig->window();
        QTimer::singleShot(0, window.get(), [&] { QTest::keyClick(details(*window), Qt::Key_Space); });
        QCOMPARE(window->exec(), TPhone::dialResult);
        QCOMPARE(rig->state.dialQueue().names, QStringList{QStringLiteral("Only")});
    }

    void refusesToDial_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << true << "No Entry selected to dial";
        QTest::newRow("nothing to reach")
            << false << "You need to specify a modem device in the properties page";
    }
    void refusesToDial()
    {
        QFETCH(bool, empty);
        if (!empty)
            rig->addEntry(QStringLiteral("Nowhere"), QStringLiteral("1"),
                {{PhoneField::Wip, QString()}, {PhoneField::Device, QString()}});
        auto window = rig->window();
        QTest::mouseClick(button(*window, "dial"), Qt::LeftButton);
        QVERIFY(window->result() != TPhone::dialResult);
        QTEST(rig->prompt.texts().value(0), "message");
    }

    // Keeping the name updates in place; another name replaces the old one;
    // a name taken by another entry loses nothing.
    void propertiesStore_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("message");
        QTest::newRow("same name") << "Board" << QStringList{"Other", "Board"} << "";
        QTest::newRow("renamed") << "New Board" << QStringList{"Other", "New Board"} << "";
        QTest::newRow("spelling") << "BOARD" << QStringList{"Other", "BOARD"} << "";
        QTest::newRow("taken") << "other" << QStringList{"Other", "Board"} << "Phone Record Allready Exists";
        QTest::newRow("cut to 20") << "A name far longer than twenty"
                                   << QStringList{"Other", "A name far longer th"} << "";
    }
    void propertiesStore()
    {
        QFETCH(QString, newName);
        QFETCH(QStringList, listed);
        QFETCH(QString, message);
        rig->addEntry(QStringLiteral("Other"), QStringLiteral("1"));
        rig->addEntry(QStringLiteral("Board"), QStringLiteral("2"),
            {{PhoneField::Protocol, QStringLiteral("12")}, {PhoneField::Term, QStringLiteral("0")},
                {PhoneField::Key, QStringLiteral("VT220A")}, {PhoneField::Init, QStringLiteral("ATZ9")}});
        rig->state.setCurrentSessionName(QStringLiteral("Board"));
        auto window = rig->window();
        rig->editors.sessionAnswers.push_back([&](SessionEditorFields &fields) {
            // The editor changes line settings in the current entry itself.
            PhonebookEntry entry = rig->state.currentEntry();
            entry.set(PhoneField::baud, QStringLiteral("9"));
            rig->state.setCurrentEntry(entry);
            fields.name = newName;
            fields.phone = QStringLiteral("5550000");
            return true;
        });
        QTest::mouseClick(button(*window, "properties"), Qt::LeftButton);
        QCOMPARE(rig->editors.sessionsShown.size(), 1);
        const SessionEditorFields shown = rig->editors.sessionsShown.first();
        QCOMPARE(shown.name, QStringLiteral("Board"));
        QCOMPARE(shown.protocol, 7);
        QCOMPARE(shown.terminal, 0);
        QCOMPARE(shown.keyboard, 4);
        QCOMPARE(names(), listed);
        QCOMPARE(rig->prompt.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        const PhonebookEntry entry = stored(listed.last());
        const bool changed = message.isEmpty();
        QCOMPARE(entry.get(PhoneField::Phone), changed ? QStringLiteral("5550000") : QStringLiteral("2"));
        QCOMPARE(entry.get(PhoneField::baud), changed ? QStringLiteral("9") : QStringLiteral("7"));
        QCOMPARE(entry.get(PhoneField::Init), QStringLiteral("ATZ9"));
        if (changed) {
            QCOMPARE(entry.get(PhoneField::Key), QStringLiteral("VT220N"));
            QCOMPARE(entry.get(PhoneField::Protocol), QStringLiteral("7"));
            QCOMPARE(list(*window)->focusedCaption(), listed.last());
        }
    }

    void cancelledEditorStoresNothing()
    {
        rig->addEntry(QStringLiteral("Board"), QStringLiteral("2"));
        const QByteArray before = [&] {
            QFile file(rig->phonePath());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        auto window = rig->window();
        rig->editors.sessionAnswers.push_back([&](SessionEditorFields &fields) {
            PhonebookEntry entry = rig->state.currentEntry();
            entry.set(PhoneField::Device, QStringLiteral("Changed"));
            rig->state.setCurrentEntry(entry);
            fields.phone = QStringLiteral("9");
            return false;
        });
        QTest::mouseClick(button(*window, "properties"), Qt::LeftButton);
        QFile file(rig->phonePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(rig->state.currentEntry().get(PhoneField::Device), QString());
    }

    void ftpEntryOpensItsDialog()
    {
        rig->drawIcons(3);
        rig->addEntry(QStringLiteral("Files"), QString(),
            {{PhoneField::fHost, QStringLiteral("ftp.example.org")},
                {PhoneField::fPort, QStringLiteral("21")}, {PhoneField::Image, QStringLiteral("7")}});
        auto window = rig->window();
        const QModelIndex item = details(*window)->model()->index(0, 0);
        QCOMPARE(item.data(Qt::ToolTipRole).toString(), PhoneList::ftpHint);
        rig->editors.ftpAnswers.push_back([](FtpEditorFields &fields) {
            fields.login = QStringLiteral("anonymous");
            fields.iconIndex = 1;
            return true;
        });
        QTest::mouseClick(button(*window, "properties"), Qt::LeftButton);
        QVERIFY(rig->editors.sessionsShown.isEmpty());
        QCOMPARE(rig->editors.ftpShown.value(0).iconIndex, 2);
        const PhonebookEntry entry = stored(QStringLiteral("Files"));
        QCOMPARE(entry.get(PhoneField::fName), QStringLiteral("anonymous"));
        QCOMPARE(entry.get(PhoneField::iconname), QStringLiteral("icon01.png"));
    }

    void newEntry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("new") << "Echo" << QStringList{"Alpha", "Echo"} << QStringList{};
        QTest::newRow("same name in another case")
            << "ALPHA" << QStringList{"Alpha"} << QStringList{"Phone Record Allready Exists"};
    }
    void newEntry()
    {
        QFETCH(QString, name);
        rig->addEntry(QStringLiteral("Alpha"), QStringLiteral("1"));
        auto window = rig->window();
        rig->editors.sessionAnswers.push_back([&](SessionEditorFields &fields) {
            fields.name = name;
            fields.phone = QStringLiteral("5551212");
            fields.tcp = true;
            fields.keyboard = 2;
            return true;
        });
        action(*window, "newSession")->trigger();
        const SessionEditorFields shown = rig->editors.sessionsShown.value(0);
        QCOMPARE(shown.name, QString());
        QCOMPARE(shown.tcpPort, QStringLiteral("telnet"));
        QVERIFY(!shown.tcp);
        QTEST(names(), "listed");
        QTEST(rig->prompt.texts(), "messages");
        if (rig->prompt.texts().isEmpty()) {
            const PhonebookEntry entry = stored(name);
            QCOMPARE(entry.get(PhoneField::Contype), QStringLiteral("1"));
            QCOMPARE(entry.get(PhoneField::Key), QStringLiteral("VT100N"));
            QCOMPARE(entry.get(PhoneField::baud), QStringLiteral("7"));
            QCOMPARE(rig->state.currentSessionName(), name);
            QCOMPARE(list(*window)->focusedCaption(), name);
        }
    }

    void adminRefusal_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("new") << "newSession";
        QTest::newRow("trash") << "trash";
        QTest::newRow("properties") << "properties";
    }
    void adminRefusal()
    {
        QFETCH(QString, command);
        rig->addEntry(QStringLiteral("Alpha"), QStringLiteral("1"));
        rig->admin = false;
        rig->prompt.answerChoice(true);
        rig->editors.sessionAnswers.push_back([](SessionEditorFields &fields) {
            fields.name = QStringLiteral("Changed");
            return true;
        });
        auto window = rig->window();
        if (auto *trigger = window->findChild<QAction *>(command))
            trigger->trigger();
        else
            QTest::mouseClick(window->findChild<QToolButton *>(command), Qt::LeftButton);
        QCOMPARE(rig->adminAsked, 1);
        QVERIFY(rig->editors.sessionsShown.isEmpty());
        QVERIFY(rig->prompt.shown().isEmpty());
        QCOMPARE(names(), QStringList{QStringLiteral("Alpha")});
    }

    void deleteAsks_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("OK") << true << QStringList{"Bravo"};
        QTest::newRow("Cancel") << false << QStringList{"Alpha", "Bravo"};
    }
    void deleteAsks()
    {
        QFETCH(bool, confirmed);
        rig->addEntry(QStringLiteral("Alpha"), QStringLiteral("1"));
        rig->addEntry(QStringLiteral("Bravo"), QStringLiteral("2"));
        rig->prompt.answerChoice(confirmed);
        auto window = rig->window();
        // The Delete key in the list is "&Trash".
        QTest::keyClick(details(*window), Qt::Key_Delete);
        QCOMPARE(
            rig->prompt.texts(), QStringList{QStringLiteral("Are you sure you want to delete this item?")});
        QTEST(names(), "listed");
        QCOMPARE(list(*window)->count(), int(names().size()));
        QCOMPARE(rig->state.currentSessionName(), QString());
    }

    void nothingSelected_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("trash") << "trash" << QStringList{"No record selected to delete"};
        QTest::newRow("properties button") << "properties" << QStringList{};
        QTest::newRow("properties menu") << "Properties" << QStringList{"No Item selected to modify"};
    }
    void nothingSelected()
    {
        QFETCH(QString, command);
        auto window = rig->window();
        if (auto *trigger = button(*window, qPrintable(command)))
            QTest::mouseClick(trigger, Qt::LeftButton);
        for (QAction *item : window->findChild<QMenu *>(QStringLiteral("listMenu"))->actions())
            if (item->text() == command)
                item->trigger();
        QTEST(rig->prompt.texts(), "messages");
        QVERIFY(rig->editors.sessionsShown.isEmpty());
    }

    // Typing narrows the list by name, phone or host; Enter dials the single match.
    void filter()
    {
        rig->addEntry(QStringLiteral("Alpha"), QStringLiteral("555-1000"));
        rig->addEntry(QStringLiteral("Bravo"), QStringLiteral("555-2000"),
            {{PhoneField::Wip, QStringLiteral("bbs.example.org")}});
        rig->addEntry(QStringLiteral("Charlie"), QStringLiteral("555-3000"));
        auto window = rig->window();
        window->show();
        QLineEdit *field = list(*window)->filterField();
        const QList<std::pair<QString, int>> cases{{QStringLiteral("555"), 3}, {QStringLiteral("3000"), 1},
            {QStringLiteral("EXAMPLE"), 1}, {QStringLiteral("ar"), 1}, {QStringLiteral("zz"), 0},
            {QString(), 3}};
        for (const auto &[text, count] : cases) {
            field->setText(text);
            QVERIFY2(list(*window)->count() == count, qPrintable(text));
        }
        field->setText(QStringLiteral("a"));
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(window->isVisible());
        field->setText(QStringLiteral("bbs"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(window->result(), TPhone::dialResult);
        QCOMPARE(rig->state.dialQueue().names, QStringList{QStringLiteral("Bravo")});
        QCOMPARE(rig->state.currentEntry().get(PhoneField::Wip), QStringLiteral("bbs.example.org"));
    }

    // A hand-edited file: unknown keys, empty fields, an entry with only a
    // name, a non-numeric icon number. All are shown; the icon file names
    // written back keep the rest of the file.
    void handEditedFile()
    {
        rig->drawIcons(3);
        QFile file(rig->phonePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("; kept by hand\n[Index]\nBare=#\nOdd=#\nNamed=#\nBlank=#\n[Defaults]\n_Entries=4\n"
                   "[Odd]\nImage=zz\nColour=blue\nPhone=\n[Named]\niconname=C:\\Icons\\ICON02.PNG\nImage=0\n"
                   "[Blank]\nPhone=\nWip=\nImage=9\n");
        file.close();
        auto window = rig->window();
        PhoneList *shown = list(*window);
        QCOMPARE(shown->count(), 4);
        const QAbstractItemModel *model = details(*window)->model();
        for (int row = 0; row < 4; ++row)
            QVERIFY2(
                !model->index(row, 0).data(Qt::DecorationRole).isNull(), qPrintable(shown->caption(row)));
        QCOMPARE(stored(QStringLiteral("Bare")).get(PhoneField::iconname), QStringLiteral("icon00.png"));
        QCOMPARE(stored(QStringLiteral("Odd")).get(PhoneField::iconname), QStringLiteral("icon00.png"));
        QCOMPARE(stored(QStringLiteral("Blank")).get(PhoneField::iconname), QStringLiteral("icon02.png"));
        QCOMPARE(stored(QStringLiteral("Named")).get(PhoneField::iconname),
            QStringLiteral("C:\\Icons\\ICON02.PNG"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY(saved.startsWith("; kept by hand\n"));
        QVERIFY(saved.contains("Colour=blue"));
        QVERIFY(rig->prompt.shown().isEmpty());

        // The entry with only a name opens in the editor and cannot be dialled.
        rig->state.setCurrentSessionName(QStringLiteral("Blank"));
        window->ShowSelected();
        rig->editors.sessionAnswers.push_back([](SessionEditorFields &) { return true; });
        QTest::mouseClick(button(*window, "properties"), Qt::LeftButton);
        QCOMPARE(rig->editors.sessionsShown.size(), 1);
        QTest::mouseClick(button(*window, "dial"), Qt::LeftButton);
        QCOMPARE(rig->prompt.texts(),
            QStringList{QStringLiteral("You need to specify a modem device in the properties page")});
    }

    // An entry gone from the file behind the window's back.
    void vanishedEntry()
    {
        rig->addEntry(QStringLiteral("Alpha"), QStringLiteral("1"));
        rig->addEntry(QStringLiteral("Bravo"), QStringLiteral("2"));
        auto window = rig->window();
        TRecordStore other(rig->phonePath(), PhonebookEntry::fields(), PhonebookEntry::keyField());
        other.remove(QStringLiteral("Bravo"));
        select(*window, {1});
        QCOMPARE(rig->prompt.texts(),
            QStringList{QStringLiteral("Phone book data corrupted. Delete the phone.dat file in Tarnex's "
                                       "directory and start over")});
    }

    void viewAndPlacementRemembered()
    {
        rig->addEntry(QStringLiteral("Alpha"), QStringLiteral("1"));
        {
            auto window = rig->window();
            window->show();
            action(*window, "viewIcons")->trigger();
            QVERIFY(window->findChild<QListView *>(QStringLiteral("icons"))->isVisible());
            window->resize(610, 420);
            window->reject();
        }
        auto window = rig->window();
        window->show();
        QVERIFY(window->findChild<QListView *>(QStringLiteral("icons"))->isVisible());
        QCOMPARE(window->size(), QSize(610, 420));
    }
};

QTEST_MAIN(PhonebookWindowTest)
#include "phonebook_window.moc"
