#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "comms/ui/KeymapEditor.h"
#include "extras/ui/QtAdminDialogs.h"
#include "script/ui/TScrDialog.h"
#include "script/ui/Tscredit.h"
#include "shell/main/Application.h"
#include "shell/ui/HelpViewer.h"
#include "support/RecordingHelp.h"

// The shipped help pages: every context opens a page that is there, every
// link between pages leads to one, the contents reach every page, the Help
// menu opens the contents and the dialogs' Help buttons their pages.
class HelpPagesTest : public QObject {
    Q_OBJECT

    static QString read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static void pressHelp(QDialog *dialog)
    {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Help)->click();
    }
    static QStringList pages()
    {
        return QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
    }
    static QStringList links(const QString &html)
    {
        QStringList found;
        static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
        for (auto it = href.globalMatch(html); it.hasNext();)
            found << it.next().captured(1);
        return found;
    }

private slots:
    void initTestCase()
    {
        // Registers the pages.
        HelpViewer viewer;
        QVERIFY(pages().size() > 1);
    }

    void everyContextOpensItsOwnPage_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::newRow("contents") << HelpService::contents << "contents.html";
        QTest::newRow("what is new") << HelpService::whatIsNew << "whats-new.html";
        QTest::newRow("terminal settings") << HelpService::terminalSettings << "terminal-settings.html";
        QTest::newRow("starting") << HelpService::startingSession << "starting-a-session.html";
        QTest::newRow("keyboard") << HelpService::keyboard << "keyboard.html";
        QTest::newRow("status") << HelpService::statusWindow << "status-window.html";
        QTest::newRow("fonts") << HelpService::fonts << "fonts.html";
        QTest::newRow("keymap editor") << HelpService::keymapEditor << "keymap-editor.html";
        QTest::newRow("please wait") << HelpService::pleaseWait << "please-wait.html";
        QTest::newRow("admin access") << HelpService::adminAccess << "admin-access.html";
        QTest::newRow("set admin password") << HelpService::setAdminPassword << "set-admin-password.html";
        QTest::newRow("logging") << HelpService::logging << "logging.html";
        QTest::newRow("main window") << HelpService::mainWindow << "main-window.html";
        QTest::newRow("choosing a protocol") << 13 << "choosing-a-protocol.html";
        QTest::newRow("send files") << 17 << "send-files.html";
        QTest::newRow("script editor") << Tscredit::helpContext << "script-editor.html";
        QTest::newRow("execute script") << TScrDialog::helpContext << "execute-script.html";
        QTest::newRow("unknown opens the contents") << 999 << "contents.html";
    }
    void everyContextOpensItsOwnPage()
    {
        QFETCH(int, context);
        QFETCH(QString, page);
        QCOMPARE(HelpViewer::pageFor(context), QStringLiteral(":/help/") + page);
        QVERIFY(QFile::exists(HelpViewer::pageFor(context)));
    }

    // contexts.txt names only pages that are shipped, and each line is read.
    void contextFileNamesShippedPages()
    {
        const QStringList lines = read(QStringLiteral(":/help/contexts.txt")).split(QLatin1Char('\n'));
        int listed = 0;
        for (const QString &line : lines) {
            const QString entry = line.section(QLatin1Char('#'), 0, 0).trimmed();
            if (entry.isEmpty())
                continue;
            const QStringList parts = entry.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QCOMPARE(parts.size(), 2);
            bool ok = false;
            const int context = parts[0].toInt(&ok);
            QVERIFY2(ok, qPrintable(line));
            QCOMPARE(HelpViewer::pageFor(context), QStringLiteral(":/help/") + parts[1]);
            QVERIFY2(QFile::exists(HelpViewer::pageFor(context)), qPrintable(line));
            ++listed;
        }
        QCOMPARE(listed, int(pages().size()));
    }

    // Links stay inside the help: each names a shipped page (an anchor
    // after '#' is allowed), and each page links back to the contents.
    void everyLinkResolves()
    {
        for (const QString &page : pages()) {
            const QString html = read(QStringLiteral(":/help/") + page);
            QVERIFY2(html.contains(QStringLiteral("<title>")), qPrintable(page));
            const QStringList targets = links(html);
            if (page != QStringLiteral("contents.html"))
                QVERIFY2(targets.contains(QStringLiteral("contents.html")), qPrintable(page));
            for (const QString &target : targets) {
                const QString file = target.section(QLatin1Char('#'), 0, 0);
                QVERIFY2(!file.contains(QLatin1Char(':')) && QFile::exists(QStringLiteral(":/help/") + file),
                    qPrintable(page + QStringLiteral(" links to ") + target));
            }
            QVERIFY2(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive), qPrintable(page));
        }
    }

    void contentsLinksEveryPage()
    {
        const QStringList targets = links(read(QStringLiteral(":/help/contents.html")));
        for (const QString &page : pages()) {
            if (page != QStringLiteral("contents.html"))
                QVERIFY2(targets.contains(page), qPrintable(page));
        }
    }

    // The Help buttons of the dialogs that had none: the administrator
    // dialogs open their own pages, the key map editor says it was pressed.
    void dialogHelpButtons()
    {
        RecordingHelp help;
        QtAdminDialogs dialogs;
        dialogs.setHelp(&help);
        const auto helpThenClose = [this] {
            QTimer::singleShot(0, this, [] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                pressHelp(dialog);
                dialog->reject();
            });
        };
        helpThenClose();
        dialogs.askAdminPassword();
        helpThenClose();
        QVERIFY(!dialogs.askNewAdminPassword([](const AdminPasswordFields &) { return true; }));
        QCOMPARE(help.shown, (QList<int>{HelpService::adminAccess, HelpService::setAdminPassword}));

        KeymapEditor editor(QStringLiteral("/nonexistent/Keybrd.ini"));
        QSignalSpy editorHelp(&editor, &KeymapEditor::helpRequested);
        pressHelp(&editor);
        QCOMPARE(editorHelp.size(), 1);
    }

    // There is no maker's site: the web page entry opens the README, which
    // must be there for a program run from its build folder.
    void companySiteIsTheReadme()
    {
        const QUrl site = ShellMenus::companySite();
        QVERIFY(site.isLocalFile());
        QVERIFY2(QFile::exists(site.toLocalFile()), qPrintable(site.toString()));
        QVERIFY(read(site.toLocalFile()).startsWith(QStringLiteral("# Tarnex")));
    }

    void helpMenuOpensContents()
    {
        RecordingHelp help;
        Application application;
        application.setHelp(&help);
        application.window().entry(QStringLiteral("Help1"))->trigger();
        QCOMPARE(help.shown, QList<int>{HelpService::contents});

        HelpViewer viewer;
        viewer.showHelp(HelpService::contents);
        QVERIFY(viewer.currentPage().endsWith(QStringLiteral("contents.html")));
        viewer.showHelp(HelpService::logging);
        QVERIFY(viewer.currentPage().endsWith(QStringLiteral("logging.html")));
    }
};

QTEST_MAIN(HelpPagesTest)
#include "help_pages.moc"
