#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "shell/DocumentLauncher.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingHelp.h"
#include "support/RecordingLauncher.h"
#include "support/TestFiles.h"
#include "transfer/ui/TBatchUploadForm.h"

namespace {

template <typename T> T *child(QWidget *form, const char *name)
{
    T *widget = form->findChild<T *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

QStringList texts(QListWidget *list)
{
    QStringList all;
    for (int row = 0; row < list->count(); ++row)
        all << list->item(row)->text();
    return all;
}

void doubleClick(QListWidget *list, QListWidgetItem *item)
{
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Drops urls from the desktop onto the outgoing list, as the shell does.
bool dropFromDesktop(TBatchUploadForm &form, const QList<QUrl> &urls)
{
    QWidget *target = child<QListWidget>(&form, "lstOutgoing")->viewport();
    const QPointF at = QRectF(target->rect()).center();
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class BatchUploadTest : public QObject {
    Q_OBJECT

    TLog log{QString()};
    RecordingPrompt prompt;
    SettingsStore store{
        SettingsFolders::fromEnvironment(), log, [this](const QString &text) { prompt.warning(text); }};
    RecordingHelp help;
    RecordingLauncher launcher;
    QTemporaryDir dir;
    QString upload;

    std::unique_ptr<TBatchUploadForm> form(QStringList &batchList, const QString &start)
    {
        auto made = std::make_unique<TBatchUploadForm>(
            batchList, start, TBatchUploadForm::Services{store, help, launcher});
        made->show();
        if (!QTest::qWaitForWindowExposed(made.get()))
            qFatal("not shown");
        return made;
    }

    QListWidgetItem *fileItem(TBatchUploadForm &shown, const QString &name)
    {
        const auto found = child<QListWidget>(&shown, "FileListBox")->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        upload = dir.path() + QStringLiteral("/Upload/");
        QDir().mkpath(upload + QStringLiteral("Nested/Deeper"));
        for (const char *name :
            {"Report.TXT", "report.txt", "notes.md", "Nested/One.bin", "Nested/Deeper/Two.Bin"})
            QVERIFY(TestFiles::write(upload + QString::fromLatin1(name), "x"));
    }

    void init()
    {
        help.shown.clear();
        launcher.opened.clear();
    }

    void startsInTheUploadFolderWithItsTexts()
    {
        QStringList batch;
        auto shown = form(batch, upload);
        shown->setUploadFolderLabel(upload);
        QCOMPARE(shown->windowTitle(), QStringLiteral("Send Files"));
        QCOMPARE(shown->folder(), upload);
        QCOMPARE(texts(child<QListWidget>(shown.get(), "FileListBox")),
            QStringList({"notes.md", "Report.TXT", "report.txt"}));
        QCOMPARE(child<QLabel>(shown.get(), "lblUploadDir")->text(), upload);
        QCOMPARE(child<QLabel>(shown.get(), "lblScanning")->text(), QStringLiteral("None"));
        QStringList labels;
        for (const QLabel *label : shown->findChildren<QLabel *>())
            labels << label->text();
        QVERIFY(labels.contains(QStringLiteral("&Outgoing Files:")));
        QVERIFY(labels.contains(QStringLiteral("Scanning directory:")));
        QStringList buttons;
        for (const QPushButton *button : shown->findChildren<QPushButton *>())
            buttons << button->text();
        buttons.sort();
        QCOMPARE(buttons, QStringList({"&Cancel", "&Help", "&OK", "Cancel", "Clear", "Explorer"}));
        QVERIFY(!child<QPushButton>(shown.get(), "ok")->isEnabled());

        // The upload code moves it to a folder and reads the folder back.
        shown->setFolder(upload + QStringLiteral("Nested"));
        QCOMPARE(shown->folder(), upload + QStringLiteral("Nested/"));
        QCOMPARE(texts(child<QListWidget>(shown.get(), "FileListBox")), QStringList({"One.bin"}));
        shown->setFolder(upload + QStringLiteral("missing"));
        QCOMPARE(shown->folder(), upload + QStringLiteral("Nested/"));

        child<QPushButton>(shown.get(), "btnExplorer")->click();
        QCOMPARE(launcher.opened, QList<QUrl>({QUrl::fromLocalFile(upload + QStringLiteral("Nested/"))}));
    }

    void aMissingUploadFolderStartsInTheCurrentFolder()
    {
        const QString before = QDir::currentPath();
        QDir::setCurrent(upload + QStringLiteral("Nested"));
        QStringList batch;
        auto shown = form(batch, dir.path() + QStringLiteral("/NoSuchFolder/"));
        QDir::setCurrent(before);
        QCOMPARE(shown->folder(), upload + QStringLiteral("Nested/"));
    }

    void theSameFileIsAddedOnceFromTheBrowser()
    {
        QStringList batch;
        auto shown = form(batch, upload);
        auto *files = child<QListWidget>(shown.get(), "FileListBox");
        auto *outgoing = child<QListWidget>(shown.get(), "lstOutgoing");
        doubleClick(files, fileItem(*shown, "Report.TXT"));
        doubleClick(files, fileItem(*shown, "Report.TXT"));
        QCOMPARE(texts(outgoing), QStringList({upload + "Report.TXT"}));
        QVERIFY(child<QPushButton>(shown.get(), "ok")->isEnabled());

        // A drag of a selection adds what is new, keeping the names' spelling.
        files->clearSelection();
        fileItem(*shown, "Report.TXT")->setSelected(true);
        fileItem(*shown, "report.txt")->setSelected(true);
        shown->addSelectedFiles();
        QCOMPARE(texts(outgoing), QStringList({upload + "Report.TXT", upload + "report.txt"}));

        // A desktop drop of a listed path adds nothing; an unreadable or remote item is left out.
        QVERIFY(dropFromDesktop(*shown,
            {QUrl::fromLocalFile(upload + "report.txt"), QUrl::fromLocalFile(upload + "gone.txt"),
                QUrl(QStringLiteral("https://example.org/x.txt")),
                QUrl::fromLocalFile(upload + "notes.md")}));
        QCOMPARE(texts(outgoing),
            QStringList({upload + "Report.TXT", upload + "report.txt", upload + "notes.md"}));
        QCOMPARE(shown->outgoing(), texts(outgoing));
    }

    void droppedFoldersAreSearchedAtEveryDepth()
    {
        QStringList batch;
        auto shown = form(batch, upload);
        auto *outgoing = child<QListWidget>(shown.get(), "lstOutgoing");
        auto *scanning = child<QLabel>(shown.get(), "lblScanning");
        QStringList entered;
        connect(outgoing->model(), &QAbstractItemModel::rowsInserted, [&] { entered << scanning->text(); });
        QVERIFY(dropFromDesktop(
            *shown, {QUrl::fromLocalFile(upload + "Nested"), QUrl::fromLocalFile(upload + "notes.md")}));
        QTRY_VERIFY(!shown->isSearching());
        const QStringList added = texts(outgoing);
        QCOMPARE(added.first(), upload + "notes.md");
        QStringList found = added.mid(1);
        found.sort();
        QCOMPARE(found, QStringList({upload + "Nested/Deeper/Two.Bin", upload + "Nested/One.bin"}));
        // Each file arrived while its folder was shown as being scanned.
        QCOMPARE(entered.first(), QStringLiteral("None"));
        for (qsizetype row = 1; row < added.size(); ++row)
            QCOMPARE(entered.at(row), QFileInfo(added.at(row)).path() + '/');
        QVERIFY(child<QPushButton>(shown.get(), "ok")->isEnabled());
    }

    void cancelStopsTheSearchBetweenFiles()
    {
        QStringList batch;
        auto shown = form(batch, upload);
        auto *outgoing = child<QListWidget>(shown.get(), "lstOutgoing");
        auto *stop = child<QPushButton>(shown.get(), "btnStopScan");
        connect(outgoing->model(), &QAbstractItemModel::rowsInserted, stop, &QPushButton::click);
        shown->searchFolder(upload);
        QTRY_VERIFY(!shown->isSearching());
        QTest::qWait(30);
        QCOMPARE(outgoing->count(), 1);
        QVERIFY(shown->isVisible());
    }

    void okNeedsFilesAndAppendsThemInOrder()
    {
        QStringList batch{QStringLiteral("/kept/before.txt")};
        auto shown = form(batch, upload);
        auto *outgoing = child<QListWidget>(shown.get(), "lstOutgoing");

        // A mnemonic presses its button after a short animation.
        QTest::keyClick(shown.get(), Qt::Key_O, Qt::AltModifier);
        QTest::qWait(300);
        shown->accept();
        QVERIFY(shown->isVisible());

        doubleClick(child<QListWidget>(shown.get(), "FileListBox"), fileItem(*shown, "notes.md"));
        child<QPushButton>(shown.get(), "btnClear")->click();
        QVERIFY(outgoing->count() == 0 && !child<QPushButton>(shown.get(), "ok")->isEnabled());
        shown->accept();
        QVERIFY(shown->isVisible());

        for (const char *name : {"report.txt", "notes.md", "Report.TXT"})
            doubleClick(child<QListWidget>(shown.get(), "FileListBox"), fileItem(*shown, name));
        // A double-click on an outgoing file takes it out.
        doubleClick(outgoing, outgoing->item(1));
        QTest::keyClick(shown.get(), Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!shown->isVisible());
        QCOMPARE(shown->result(), int(QDialog::Accepted));
        QCOMPARE(batch, QStringList({"/kept/before.txt", upload + "report.txt", upload + "Report.TXT"}));
        QCOMPARE(store.ReadSettingInteger({}, QStringLiteral("BatchUploadFormw"), -1), shown->width());
    }

    void removingTheLastFileDisablesOk()
    {
        QStringList batch;
        auto shown = form(batch, upload);
        auto *outgoing = child<QListWidget>(shown.get(), "lstOutgoing");
        doubleClick(child<QListWidget>(shown.get(), "FileListBox"), fileItem(*shown, "notes.md"));
        QVERIFY(child<QPushButton>(shown.get(), "ok")->isEnabled());
        doubleClick(outgoing, outgoing->item(0));
        QCOMPARE(outgoing->count(), 0);
        QVERIFY(!child<QPushButton>(shown.get(), "ok")->isEnabled());
    }

    void altHShowsHelpAndAltCCancels()
    {
        QStringList batch;
        auto shown = form(batch, upload);
        doubleClick(child<QListWidget>(shown.get(), "FileListBox"), fileItem(*shown, "notes.md"));
        QTest::keyClick(shown.get(), Qt::Key_H, Qt::AltModifier);
        QTRY_COMPARE(help.shown, QList<int>({17}));
        QVERIFY(shown->isVisible());
        QTest::keyClick(shown.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!shown->isVisible());
        QCOMPARE(shown->result(), int(QDialog::Rejected));
        QVERIFY(batch.isEmpty());
        QVERIFY(prompt.shown().isEmpty());
    }
};

QTEST_MAIN(BatchUploadTest)
#include "batch_upload.moc"
