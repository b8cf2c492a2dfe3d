#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "shell/main/Mainform.h"

// The main window as the user meets it: the tool bar and its menus with
// every caption, the status bar, the rules for captions and disabled
// controls, and the close query.
class MainWindowTest : public QObject {
    Q_OBJECT

    static QStringList captions(const QMenu *menu)
    {
        QStringList texts;
        for (const QAction *action : menu->actions())
            if (!action->isSeparator() && action->isVisible())
                texts << action->text();
        return texts;
    }

private slots:
    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("session") << "PhoneMenu"
                                 << QStringList{"&Connections", "&Hangup", "Ca&pture Session", "&Status"};
        QTest::newRow("capture") << "CaptureSession1" << QStringList{"Start", "Stop", "View", "Options"};
        QTest::newRow("setup") << "TermMenu"
                               << QStringList{"&Setup", "&Local Echo", "S&crollBack", "Show Command line",
                                      "Show &Macros", "&Show Hints", "Show Com Stat", "&Keyboard"};
        QTest::newRow("setup submenu")
            << "Setup1"
            << QStringList{"&Terminal options", "&Sounds", "&Auto start", "T&elnet", "&Logging",
                   "&Directories", "Al&ias", "Comport naming", "Admin Password"};
        QTest::newRow("logging") << "Logging1"
                                 << QStringList{
                                        "&Application Logging", "&Protocol Logging", "&Comport Logging"};
        QTest::newRow("keyboard") << "Keyboard1" << QStringList{"&Setup", "&Numeric", "&Application"};
        QTest::newRow("transfer") << "TransMenu1"
                                  << QStringList{"&Send", "&Recieve", "Send pure &binary",
                                         "R&eceive pure binary", "&Options", "View &download dir",
                                         "View &upload dir"};
        QTest::newRow("script") << "scrmenu"
                                << QStringList{"&Run", "&New / Edit", "&Stop", "R&ecord", "&Halt Record"};
        QTest::newRow("print") << "Printmenu"
                               << QStringList{
                                      "Print &Window", "Print &Buffer", "Printer &Font", "Print Echo"};
        QTest::newRow("help") << "Helpmenu1" << QStringList{"&Help", "&About", "&Company web site"};
        QTest::newRow("terminal pop-up")
            << "TermPop"
            << QStringList{"Copy", "Paste", "Clear", "Print", "Capture Screen", "Cancel Transfer",
                   "Local Echo", "Font", "Scroll Back", "Comport"};
        QTest::newRow("comport") << "Comport1"
                                 << QStringList{"Drop DTR", "Raise DTR", "Raise RTS", "Drop RTS"};
    }
    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, entries);
        TMainform window;
        QVERIFY(window.menu(menu));
        QCOMPARE(captions(window.menu(menu)), entries);
    }

    // The tool bar drops its menus down from the button's body; the status
    // bar starts with its lights unlit and the clock at zero; the FTP entry
    // is hidden; the checked entries start checked.
    void layout()
    {
        TMainform window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarnex 7.0"));
        QCOMPARE(window.button("PhoneBtn")->menu(), window.menu("PhoneMenu"));
        QCOMPARE(window.button("PhoneBtn")->popupMode(), QToolButton::InstantPopup);
        QVERIFY(!window.button("DirectBtn")->menu());
        QVERIFY(!window.entry("FTP1")->isVisible());
        QVERIFY(window.entry("Stop1")->isChecked());
        QVERIFY(window.entry("Overwrite1")->isChecked());
        QVERIFY(window.entry("Numeric1")->isChecked());
        QCOMPARE(window.lights().size(), 5);
        QCOMPARE(window.lights().first()->toolTip(), QStringLiteral("Carrier"));
        QCOMPARE(window.button("btnHang")->text(), QStringLiteral("X"));
        QCOMPARE(window.button("btnFontUp")->toolTip(), QStringLiteral("Increase font size"));
        QCOMPARE(window.findChild<QLabel *>("lblTime")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(window.linePanel(), QString());
        QCOMPARE(window.statusPanel(), QString());
        window.ShowBHint(true);
        QCOMPARE(window.button("DirectBtn")->toolTip(), QStringLiteral("Direct"));
        window.ShowBHint(false);
        QCOMPARE(window.button("DirectBtn")->toolTip(), QString());
        QCOMPARE(window.lights().first()->toolTip(), QString());
        // Nothing acts before the code behind it exists.
        QVERIFY(!window.entry("Send1")->isEnabled());
    }

    // Doorway mode takes every accelerator off the tool bar and gives it back.
    void captionsForDoorway()
    {
        TMainform window;
        window.Setcaptions(true);
        QStringList texts;
        for (const char *name : {"PhoneBtn", "DirectBtn", "TerminalBtn", "TransferBtn", "ScriptsBtn",
                 "PrintBtn", "HelpBtn", "ExitBtn"})
            texts << window.button(name)->text();
        QCOMPARE(
            texts, (QStringList{"Phone", "Quick", "Setup", "Transfer", "Scripts", "Print", "Help", "Exit"}));
        window.Setcaptions(true);
        QCOMPARE(window.button("PhoneBtn")->text(), QStringLiteral("Phone"));
        window.Setcaptions(false);
        QCOMPARE(window.button("ScriptsBtn")->text(), QStringLiteral("S&cript"));
        QCOMPARE(window.button("DirectBtn")->text(), QStringLiteral("&Direct"));
    }

    void disableBtns()
    {
        TMainform window;
        window.DisableBtns(false);
        for (const char *name : {"PhoneBtn", "DirectBtn", "TerminalBtn", "ExitBtn", "PrintBtn"})
            QVERIFY2(!window.button(name)->isEnabled(), name);
        QVERIFY(!window.entry("Hangup1")->isEnabled());
        window.DisableBtns(true);
        QVERIFY(window.button("ExitBtn")->isEnabled());
        QVERIFY(window.entry("ScrollBack1")->isEnabled());
    }

    // Every close passes the close query.
    void closeQuery()
    {
        TMainform window;
        window.show();
        int asked = 0;
        bool answer = false;
        window.setCloseQuery([&] {
            ++asked;
            return answer;
        });
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QCOMPARE(asked, 1);
        answer = true;
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window.moc"
