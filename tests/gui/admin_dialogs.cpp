#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "extras/AdminLock.h"
#include "extras/ui/AdminAccessDialog.h"
#include "extras/ui/QtAdminDialogs.h"
#include "extras/ui/SetAdminPasswordDialog.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"

namespace {

QLineEdit *field(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLineEdit *>(QString::fromLatin1(name));
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Runs `step` on the modal dialog once it is shown.
void whenModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        step(dialog);
    });
}

} // namespace

class AdminDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void accessDialog()
    {
        AdminAccessDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Admin Access"));
        QVERIFY(dialog.findChild<QLabel *>()->text() == QStringLiteral("Enter admin password"));
        QLineEdit *password = field(&dialog, "password");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        dialog.show();
        QTest::keyClicks(password, QStringLiteral("Se same "));
        QTest::keyClick(password, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.password(), QStringLiteral("Se same "));
    }

    void setPasswordDialogAsksOnOk()
    {
        QList<AdminPasswordFields> seen;
        bool agree = false;
        SetAdminPasswordDialog dialog([&](const AdminPasswordFields &fields) {
            seen << fields;
            return agree;
        });
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Set Admin Password"));
        QLineEdit *old = field(&dialog, "oldPassword");
        QCOMPARE(old->text(), QString(15, QLatin1Char('*')));
        for (const char *name : {"oldPassword", "newPassword", "verifyPassword"})
            QCOMPARE(field(&dialog, name)->echoMode(), QLineEdit::Password);
        QStringList labels;
        for (QLabel *label : dialog.findChildren<QLabel *>())
            labels << label->text();
        QCOMPARE(labels, (QStringList{"Old Password", "New Password", "Verify Password"}));
        auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("ok"));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());

        dialog.show();
        typeInto(field(&dialog, "newPassword"), QStringLiteral("n"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(dialog.isVisible()); // refused: stays open
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].oldPassword, QString(15, QLatin1Char('*')));
        QCOMPARE(seen[0].newPassword, QStringLiteral("n"));

        agree = true;
        QTest::keyClick(field(&dialog, "verifyPassword"), Qt::Key_Return); // Enter is OK
        QCOMPARE(seen.size(), 2);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cancel")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(seen.size(), 2);
    }

    // The lock on the real dialogs: set a password, then pass a check with it.
    void lockThroughQtDialogs()
    {
        TLog log(QDir::temp().filePath(QStringLiteral("log.txt")));
        RecordingPrompt prompt;
        SettingsStore store(SettingsFolders::fromEnvironment(), log, {});
        QtAdminDialogs dialogs;
        AdminLock lock(store, prompt, dialogs, log);

        whenModal([](QWidget *dialog) {
            auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("ok"));
            QTest::mouseClick(ok, Qt::LeftButton); // 15 asterisks are not the empty password
            typeInto(field(dialog, "oldPassword"), QString());
            typeInto(field(dialog, "newPassword"), QStringLiteral("Sesame"));
            typeInto(field(dialog, "verifyPassword"), QStringLiteral("Sesame"));
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        lock.AdminPassword1Click();
        QCOMPARE(prompt.texts(), QStringList{"Incorrect Password"});
        QVERIFY(lock.isLocked());

        whenModal([](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Admin Access"));
            typeInto(field(dialog, "password"), QStringLiteral("Sesame"));
            QTest::keyClick(field(dialog, "password"), Qt::Key_Return);
        });
        QVERIFY(lock.AdminCheck());

        whenModal([](QWidget *dialog) { dialog->close(); });
        QVERIFY(!lock.AdminCheck());
        QCOMPARE(prompt.texts().last(), QStringLiteral("You are not authorized to use this function."));
    }
};

QTEST_MAIN(AdminDialogsTest)
#include "admin_dialogs.moc"
