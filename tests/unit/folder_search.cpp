#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"
#include "transfer/FolderSearch.h"
#include "transfer/OutgoingFiles.h"

namespace {

struct Walk {
    QStringList folders;
    QStringList files;
    int finishes = 0;
};

// Runs a walk of the roots to its end and records what it reported; false
// when it does not end.
bool walk(FolderSearch &search, const QStringList &roots, Walk &seen)
{
    QObject::connect(&search, &FolderSearch::folderEntered, [&](const QString &f) { seen.folders << f; });
    QObject::connect(&search, &FolderSearch::fileFound, [&](const QString &f) { seen.files << f; });
    QObject::connect(&search, &FolderSearch::finished, [&] { ++seen.finishes; });
    for (const QString &root : roots)
        search.search(root);
    const bool ended = QTest::qWaitFor([&] { return !search.isRunning(); });
    QTest::qWait(20);
    return ended;
}

} // namespace

class FolderSearchTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString root;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        root = dir.path() + QStringLiteral("/Uploads/");
        QDir().mkpath(root + QStringLiteral("Sub/Deeper/Deepest"));
        QDir().mkpath(root + QStringLiteral("Empty"));
        for (const char *name : {"Top.TXT", "Sub/a.bin", "Sub/Deeper/B.Dat", "Sub/Deeper/Deepest/c",
                 ".hidden", "Sub/.also-hidden"})
            QVERIFY(TestFiles::write(root + QString::fromLatin1(name), "x"));
        // A link back to the top must not make the walk circle.
        QVERIFY(QFile::link(root, root + QStringLiteral("Sub/loop")));
    }

    void walksEveryDepthKeepingTheSpellingOfNames()
    {
        FolderSearch search;
        Walk seen;
        QVERIFY(walk(search, {root}, seen));
        QStringList files = seen.files;
        files.sort();
        QCOMPARE(files,
            QStringList({root + "Sub/Deeper/B.Dat", root + "Sub/Deeper/Deepest/c", root + "Sub/a.bin",
                root + "Top.TXT"}));
        QStringList folders = seen.folders;
        folders.sort();
        QCOMPARE(folders,
            QStringList(
                {root, root + "Empty/", root + "Sub/", root + "Sub/Deeper/", root + "Sub/Deeper/Deepest/"}));
        QCOMPARE(seen.folders.first(), root);
        QCOMPARE(seen.finishes, 1);
        // Each file is reported after the folder that holds it was entered.
        for (const QString &file : seen.files)
            QVERIFY(seen.folders.contains(QFileInfo(file).path() + '/'));
    }

    void foldersAskedDuringAWalkAreWalkedAfterIt()
    {
        FolderSearch search;
        Walk seen;
        QVERIFY(walk(search, {root + "Sub/Deeper/Deepest", root + "Empty"}, seen));
        QCOMPARE(seen.folders, QStringList({root + "Sub/Deeper/Deepest/", root + "Empty/"}));
        QCOMPARE(seen.files, QStringList({root + "Sub/Deeper/Deepest/c"}));
        QCOMPARE(seen.finishes, 1);
    }

    void stopEndsTheWalkBeforeTheNextFile()
    {
        FolderSearch search;
        int found = 0;
        connect(&search, &FolderSearch::fileFound, [&] {
            ++found;
            search.stop();
        });
        QSignalSpy finished(&search, &FolderSearch::finished);
        search.search(root);
        search.search(root + "Sub");
        QTRY_COMPARE(finished.count(), 1);
        QTest::qWait(20);
        QCOMPARE(found, 1);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!search.isRunning());

        // Stopped, it starts afresh.
        Walk again;
        QVERIFY(walk(search, {root + "Sub/Deeper/Deepest"}, again));
        QCOMPARE(again.files, QStringList({root + "Sub/Deeper/Deepest/c"}));
    }

    void outgoingFilesHoldEachPathOnce()
    {
        OutgoingFiles files;
        QVERIFY(files.add("/up/a.txt"));
        QVERIFY(!files.add("/up/a.txt"));
        QVERIFY(files.add("/up/A.txt"));
        QVERIFY(files.add("/up/b.txt"));
        files.removeAt(0);
        files.removeAt(7);
        QCOMPARE(files.paths(), QStringList({"/up/A.txt", "/up/b.txt"}));
        QVERIFY(files.add("/up/a.txt"));
        QCOMPARE(files.count(), 3);
    }

    void droppedItemsKeepOnlyLocalFilesAndFolders()
    {
        const DroppedItems items = DroppedItems::fromUrls({QUrl::fromLocalFile(root + "Top.TXT"),
            QUrl::fromLocalFile(root + "Sub"), QUrl::fromLocalFile(root + "gone.txt"),
            QUrl(QStringLiteral("https://example.org/file.txt")), QUrl::fromLocalFile(root + "Sub/a.bin")});
        QCOMPARE(items.files, QStringList({root + "Top.TXT", root + "Sub/a.bin"}));
        QCOMPARE(items.folders, QStringList({root + "Sub"}));
    }
};

QTEST_GUILESS_MAIN(FolderSearchTest)
#include "folder_search.moc"
