#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingHelp.h"
#include "support/RecordingLauncher.h"
#include "support/TestFiles.h"
#include "transfer/ui/QtTransferDialogs.h"
#include "transfer/ui/TDownForm.h"

namespace {

using Answer = std::function<void(QDialog *)>;

QRadioButton *protocolButton(QDialog *form, int item)
{
    return form->findChild<QRadioButton *>(QStringLiteral("protocol%1").arg(item));
}

QList<int> checkedItems(QDialog *form)
{
    QList<int> checked;
    for (int item = 0; item < 10; ++item) {
        if (protocolButton(form, item)->isChecked())
            checked << item;
    }
    return checked;
}

void press(QDialog *form, const char *name)
{
    form->findChild<QPushButton *>(QString::fromLatin1(name))->click();
}

void key(QDialog *form, Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : form, key);
}

} // namespace

// The protocol choice and the batch list as a transfer start asks them,
// through the modal dialogs the user answers.
class ProtocolChoiceTest : public QObject {
    Q_OBJECT

    TLog log{QString()};
    RecordingPrompt prompt;
    SettingsStore store{
        SettingsFolders::fromEnvironment(), log, [this](const QString &text) { prompt.warning(text); }};
    RecordingHelp help;
    RecordingLauncher launcher;
    QWidget window;
    QtTransferDialogs dialogs{&window, TBatchUploadForm::Services{store, help, launcher}};

    // Runs answer on the modal dialog once it is up.
    void whenShown(const Answer &answer)
    {
        QTimer::singleShot(0, this, [answer] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            answer(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    }

private slots:
    void init()
    {
        help.shown.clear();
        window.show();
    }

    // The ten items in two columns of five, in protocol number order,
    // and what the caller preselects is what shows, with the focus on it.
    void looksAndPreselects_data()
    {
        QTest::addColumn<int>("preselected");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("first") << 0 << QList<int>{0};
        QTest::newRow("Zmodem") << 6 << QList<int>{6};
        QTest::newRow("last") << 9 << QList<int>{9};
        QTest::newRow("none") << -1 << QList<int>{};
        QTest::newRow("past the items") << 10 << QList<int>{};
    }
    void looksAndPreselects()
    {
        QFETCH(int, preselected);
        QFETCH(QList<int>, shown);
        TDownForm form(help, &window);
        form.setItem(preselected);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("File Transfer Protocol"));
        QCOMPARE(form.findChild<QLabel *>()->text(), QStringLiteral("Choose the protocol you wish to use."));
        const QStringList items{QStringLiteral("Xmodem"), QStringLiteral("Xmodem crc"),
            QStringLiteral("Xmodem 1K"), QStringLiteral("Xmodem 1K G"), QStringLiteral("Ymodem"),
            QStringLiteral("Ymodem G"), QStringLiteral("Zmodem"), QStringLiteral("Kermit"),
            QStringLiteral("Ascii"), QStringLiteral("Compuserve B+")};
        for (int item = 0; item < items.size(); ++item) {
            QRadioButton *button = protocolButton(&form, item);
            QCOMPARE(button->text(), items[item]);
            const QPoint at = button->mapTo(&form, QPoint());
            const QPoint first = protocolButton(&form, item % 5)->mapTo(&form, QPoint());
            QCOMPARE(at.x() > first.x(), item >= 5);
            if (item % 5)
                QVERIFY(at.y() > protocolButton(&form, item - 1)->mapTo(&form, QPoint()).y());
        }
        QCOMPARE(checkedItems(&form), shown);
        QCOMPARE(form.item(), shown.isEmpty() ? -1 : shown.first());
        QCOMPARE(QApplication::focusWidget(), protocolButton(&form, shown.isEmpty() ? 0 : shown.first()));
    }

    // What the user does in the dialog and the item the transfer start gets.
    void answers_data()
    {
        QTest::addColumn<int>("preselected");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("chosen");
        const Answer ok = [](QDialog *form) { press(form, "ok"); };
        QTest::newRow("OK keeps the preselection") << 6 << ok << 6;
        QTest::newRow("OK with none answers none") << -1 << ok << -1;
        QTest::newRow("OK after a click") << 6 << Answer([](QDialog *form) {
            protocolButton(form, 2)->click();
            press(form, "ok");
        }) << 2;
        QTest::newRow("Cancel answers none")
            << 6 << Answer([](QDialog *form) { press(form, "cancel"); }) << -1;
        QTest::newRow("Esc cancels") << 6 << Answer([](QDialog *form) { key(form, Qt::Key_Escape); }) << -1;
        QTest::newRow("Enter is OK") << 4 << Answer([](QDialog *form) { key(form, Qt::Key_Return); }) << 4;
        QTest::newRow("Down then Enter") << 0 << Answer([](QDialog *form) {
            key(form, Qt::Key_Down);
            key(form, Qt::Key_Return);
        }) << 1;
        QTest::newRow("Right moves to the next column") << 1 << Answer([](QDialog *form) {
            key(form, Qt::Key_Right);
            key(form, Qt::Key_Return);
        }) << 6;
        QTest::newRow("Up then Enter") << 9 << Answer([](QDialog *form) {
            key(form, Qt::Key_Up);
            key(form, Qt::Key_Return);
        }) << 8;
    }
    void answers()
    {
        QFETCH(int, preselected);
        QFETCH(Answer, answer);
        QFETCH(int, chosen);
        whenShown(answer);
        QCOMPARE(dialogs.chooseProtocol(preselected), chosen);
        QVERIFY(help.shown.isEmpty());
    }

    void helpOpensItsPageAndKeepsTheDialog()
    {
        whenShown([](QDialog *form) {
            press(form, "help");
            QVERIFY(form->isVisible());
            press(form, "ok");
        });
        QCOMPARE(dialogs.chooseProtocol(7), 7);
        QCOMPARE(help.shown, QList<int>{13});
    }

    // "Send Files" shows the upload folder, appends what OK sends after what
    // the list held, and answers the folder it showed however it closed.
    void batchAnswersFilesAndFolder()
    {
        QTemporaryDir dir;
        const QString upload = dir.path() + QStringLiteral("/Upload");
        const QString other = dir.path() + QStringLiteral("/Other");
        QVERIFY(QDir().mkpath(upload) && QDir().mkpath(other));
        const QString one = TestFiles::writeIn(upload, QStringLiteral("One.txt"), "1");
        const QString two = TestFiles::writeIn(upload, QStringLiteral("Two.txt"), "2");

        QStringList batch{QStringLiteral("earlier")};
        QString folder;
        whenShown([&](QDialog *dialog) {
            auto *form = qobject_cast<TBatchUploadForm *>(dialog);
            QVERIFY(form);
            QCOMPARE(form->findChild<QLabel *>(QStringLiteral("lblUploadDir"))->text(), upload);
            form->addDropped({QUrl::fromLocalFile(two), QUrl::fromLocalFile(one)});
            form->setFolder(other);
            press(form, "ok");
        });
        QVERIFY(dialogs.chooseBatch(batch, upload, folder));
        QCOMPARE(batch, (QStringList{QStringLiteral("earlier"), two, one}));
        QCOMPARE(folder, other + QLatin1Char('/'));

        whenShown([&](QDialog *dialog) {
            auto *form = qobject_cast<TBatchUploadForm *>(dialog);
            form->addDropped({QUrl::fromLocalFile(one)});
            form->setFolder(upload);
            press(form, "cancel");
        });
        QVERIFY(!dialogs.chooseBatch(batch, other, folder));
        QCOMPARE(batch, (QStringList{QStringLiteral("earlier"), two, one}));
        QCOMPARE(folder, upload + QLatin1Char('/'));
    }
};

QTEST_MAIN(ProtocolChoiceTest)
#include "protocol_choice.moc"
