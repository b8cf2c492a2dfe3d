#include <QDir>
#include <QFile>
#include <QTest>

#include "shell/DocumentLauncher.h"
#include "support/RecordingLauncher.h"

class DocumentLauncherTest : public QObject {
    Q_OBJECT
private slots:
    void opensKnownTypesAsFileUrls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("opens");
        QTest::newRow("text") << "notes.txt" << QByteArray("hello\n") << true;
        QTest::newRow("shell characters in the name")
            << "a;rm -rf x $(id) `b`.txt" << QByteArray("x\n") << true;
        QTest::newRow("unknown binary") << "blob.qqz" << QByteArray("\x00\x01\x02\xff\xfe", 5) << false;
        QTest::newRow("missing unknown") << "gone.qqz" << QByteArray() << false;
    }
    void opensKnownTypesAsFileUrls()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, opens);
        const QString path = QDir::temp().filePath(name);
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        RecordingLauncher launcher;
        QCOMPARE(OpenWithAssociatedProgram(launcher, path), opens);
        if (opens) {
            QCOMPARE(launcher.opened.size(), 1);
            QVERIFY(launcher.opened.first().isLocalFile());
            QCOMPARE(launcher.opened.first().toLocalFile(), path);
        } else {
            QVERIFY(launcher.opened.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(DocumentLauncherTest)
#include "document_launcher.moc"
