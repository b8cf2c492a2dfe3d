#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "comms/ui/Terminal.h"
#include "shell/main/Application.h"
#include "shell/main/StatusReport.h"
#include "shell/ui/StatusWindow.h"
#include "support/RecordingHelp.h"
#include "terminal/KeyboardSettings.h"

// "&Status" on a configured port and terminal: every caption with the value
// it reads, and its Help button.
class StatusWindowTest : public QObject {
    Q_OBJECT

    static void pressHelp(QDialog *dialog)
    {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Help)->click();
    }

private slots:
    void captionsAndValues()
    {
        RecordingHelp help;
        Application application;
        application.setHelp(&help);
        Comport &port = application.port();
        port.setComNumber(3);
        port.setBaud(19200);
        port.setDataBits(7);
        port.setStopBits(2);
        port.setParity(2);
        port.setSoftwareFlow(SoftwareFlow::Transmit);
        port.setHardwareFlow(HardwareFlow::UseRts | HardwareFlow::RequireCts);
        port.setBufferFull(12000);
        port.setBufferResume(3000);
        Terminal *terminal = application.window().terminal();
        terminal->termemu().setEmulation(5);
        terminal->setPageSize(30, 100);
        terminal->setDoorway(true);
        terminal->keyEmu().setEmulation(QStringLiteral("VT100A"));
        terminal->keyEmu().setProcessAll(true);
        application.keyboard().settings().mapF = false;
        application.keyboard().settings().addLf = true;

        QList<QPair<QString, QString>> shown;
        QTimer::singleShot(0, this, [&] {
            auto *status = qobject_cast<StatusWindow *>(QApplication::activeModalWidget());
            QVERIFY(status);
            QCOMPARE(status->windowTitle(), QStringLiteral("Status"));
            for (const char *caption : {"Comport", "Baud", "Data bits", "Stop Bits", "Parity",
                     "Terminal Emulation", "Keyboard Emulation", "Terminal Rows", "Terminal Columns",
                     "Keyboard Process Extended", "Keyborad Process All", "Map F Keys", "CR=CR+LF",
                     "CR=LF+CR", "Doorway", "In Buffer", "Out Buff", "Software Flow Control", "Use DTR",
                     "Use RTS", "Require DSR", "Require CTS", "Buffer Full", "Buffer Resume"})
                shown << qMakePair(QString::fromLatin1(caption), status->value(QString::fromLatin1(caption)));
            pressHelp(status);
            status->reject();
        });
        application.window().entry(QStringLiteral("Status1"))->trigger();

        const QList<QPair<QString, QString>> expected = {{"Comport", "3"}, {"Baud", "19200"},
            {"Data bits", "7"}, {"Stop Bits", "2"}, {"Parity", "Even"}, {"Terminal Emulation", "VT220"},
            {"Keyboard Emulation", "VT100A"}, {"Terminal Rows", "30"}, {"Terminal Columns", "100"},
            {"Keyboard Process Extended", "False"}, {"Keyborad Process All", "True"}, {"Map F Keys", "False"},
            {"CR=CR+LF", "True"}, {"CR=LF+CR", "False"}, {"Doorway", "True"}, {"In Buffer", "16384"},
            {"Out Buff", "16384"}, {"Software Flow Control", "Transmit"}, {"Use DTR", "False"},
            {"Use RTS", "True"}, {"Require DSR", "False"}, {"Require CTS", "True"}, {"Buffer Full", "12000"},
            {"Buffer Resume", "3000"}};
        QCOMPARE(shown, expected);
        QCOMPARE(help.shown, QList<int>{HelpService::statusWindow});
    }

    // Each emulation number and parity shows its name.
    void namedValues_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("emulation");
        QTest::addColumn<QString>("parity");
        QTest::newRow("0") << 0 << "None"
                           << "None";
        QTest::newRow("1") << 1 << "ANSI"
                           << "Odd";
        QTest::newRow("2") << 2 << "VT52"
                           << "Even";
        QTest::newRow("3") << 3 << "VT100"
                           << "Mark";
        QTest::newRow("4") << 4 << "ANSIBBS"
                           << "Space";
    }
    void namedValues()
    {
        QFETCH(int, number);
        QFETCH(QString, emulation);
        QFETCH(QString, parity);
        Comport port;
        port.setParity(number);
        Terminal terminal;
        terminal.termemu().setEmulation(number);
        const QList<StatusLine> lines = statusReport(port, terminal, KeyboardSettings());
        QVERIFY(lines.contains(StatusLine{QStringLiteral("Terminal Emulation"), emulation}));
        QVERIFY(lines.contains(StatusLine{QStringLiteral("Parity"), parity}));
        // No keyboard emulation chosen yet: an empty value, still a caption line.
        QVERIFY(lines.contains(StatusLine{QStringLiteral("Keyboard Emulation"), QString()}));
        StatusWindow window(lines);
        QVERIFY(window.findChild<QLabel *>(QStringLiteral("Keyboard Emulation")));
    }
};

QTEST_MAIN(StatusWindowTest)
#include "status_window.moc"
