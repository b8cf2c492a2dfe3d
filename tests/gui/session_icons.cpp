#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "extras/ShippedIcons.h"
#include "extras/ui/SessionIcons.h"
#include "extras/ui/TIMForm.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "support/TestFiles.h"

namespace {

const QByteArray squareSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'>"
                             "<rect width='64' height='64' fill='red'/></svg>";

bool savePicture(const QString &path, QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    return image.save(path);
}

} // namespace

// The icon list read from the icon folder, the shipped icons, and the
// "Session Icons" window driven as a user does.
class SessionIconsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString folder;
    RecordingPrompt prompt;
    std::unique_ptr<TLog> log;
    SessionIcons icons;

    QString logText() const { return QString::fromUtf8(TestFiles::read(log->fileName())); }
    QString elsewhere(const QString &name) const { return dir->filePath(name); }
    // a.png, b.svg, c.ico in the icon folder, loaded.
    void threeIcons()
    {
        QVERIFY(savePicture(folder + QStringLiteral("a.png"), {32, 32}));
        QVERIFY(TestFiles::write(folder + QStringLiteral("b.svg"), squareSvg));
        QVERIFY(savePicture(folder + QStringLiteral("c.ico"), {32, 32}));
        QVERIFY(icons.LoadIcons(folder));
        QCOMPARE(icons.count(), 3);
    }
    // Opens the window on the given icon, runs step in it, and gives what
    // choose() returned with the index and name it left.
    bool choose(int &index, QString &name, const std::function<void(TIMForm &)> &step)
    {
        TIMForm form(icons, prompt, *log);
        QTimer::singleShot(0, this, [&form, step] {
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            step(form);
            if (form.isVisible())
                form.reject();
        });
        return form.choose(index, name);
    }
    static void press(TIMForm &form, const char *button)
    {
        form.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    }
    static QString current(TIMForm &form)
    {
        return form.view()->currentItem() ? form.view()->currentItem()->text() : QString();
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        folder = dir->filePath(QStringLiteral("Icons/"));
        QVERIFY(QDir().mkpath(folder));
        log = std::make_unique<TLog>(dir->filePath(QStringLiteral("log.txt")));
        prompt = RecordingPrompt();
        icons = SessionIcons();
    }

    // Pictures of any kind and shape become 32 x 32 images; files that are
    // not pictures are skipped and listed; a missing folder is an empty list.
    void loadIcons()
    {
        QVERIFY(icons.LoadIcons(dir->filePath(QStringLiteral("missing"))));
        QCOMPARE(icons.count(), 0);

        QVERIFY(savePicture(folder + QStringLiteral("wide.png"), {64, 32}));
        QVERIFY(TestFiles::write(folder + QStringLiteral("drawn.SVG"), squareSvg));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("more")));
        QVERIFY(savePicture(folder + QStringLiteral("more/small.ico"), {16, 16}));
        QVERIFY(TestFiles::write(folder + QStringLiteral("broken.ico"), QByteArray("\0\0\1\0\1\0", 6)));
        QVERIFY(TestFiles::write(folder + QStringLiteral("notes.png"), "not a picture\n"));
        QVERIFY(TestFiles::write(folder + QStringLiteral("readme.txt"), "other files are not looked at\n"));
        QVERIFY(!icons.LoadIcons(folder));
        QCOMPARE(icons.skippedFiles(), (QStringList{folder + "broken.ico", folder + "notes.png"}));
        QStringList names;
        for (int i = 0; i < icons.count(); ++i) {
            names << icons.fileName(i);
            QCOMPARE(icons.image(i).size(), QSize(32, 32));
        }
        QCOMPARE(names, (QStringList{"drawn.SVG", "small.ico", "wide.png"}));
        // A wide picture keeps its shape, centred: clear above and below.
        const QImage wide = icons.image(2);
        QCOMPARE(qAlpha(wide.pixel(16, 2)), 0);
        QCOMPARE(wide.pixelColor(16, 16), QColor(Qt::blue));
        QCOMPARE(icons.image(0).pixelColor(0, 0), QColor(Qt::red));
        QVERIFY(icons.image(3).isNull());
    }

    // Entries written by an older version stored a Windows path.
    void indexOfIconName()
    {
        threeIcons();
        QCOMPARE(icons.indexOf(QStringLiteral("C:\\Program Files\\Tarnex\\Icons\\B.SVG")), 1);
        QCOMPARE(icons.indexOf(QStringLiteral("/somewhere/c.ico")), 2);
        QCOMPARE(icons.indexOf(QStringLiteral("C:\\Icons\\")), -1);
        QCOMPARE(icons.indexOf(QStringLiteral("gone.ico")), -1);
    }

    // The shipped icons go into a missing folder, all readable; an existing
    // folder is left alone, so a deleted icon stays deleted.
    void shippedIcons()
    {
        const QString fresh = dir->filePath(QStringLiteral("home/Icons"));
        QString error;
        QVERIFY2(ShippedIcons::install(fresh, &error), qPrintable(error));
        QVERIFY(ShippedIcons::names().size() >= 8);
        QVERIFY(icons.LoadIcons(fresh));
        QCOMPARE(icons.count(), ShippedIcons::names().size());
        QVERIFY(QFile::remove(fresh + QStringLiteral("/star.svg")));
        QVERIFY(ShippedIcons::install(fresh, &error));
        QVERIFY(!QFile::exists(fresh + QStringLiteral("/star.svg")));
        QVERIFY(ShippedIcons::install(folder, &error));
        QVERIFY(QDir(folder).isEmpty());

        QVERIFY(TestFiles::write(dir->filePath(QStringLiteral("blocker")), "a file"));
        QVERIFY(!ShippedIcons::install(dir->filePath(QStringLiteral("blocker/Icons")), &error));
        QVERIFY(error.contains(QLatin1String("blocker")));
    }

    // The entry's icon is selected (by file name, else by number, the last
    // when the number is past the end); a double-click or Enter chooses,
    // Esc and Cancel do not.
    void chooseAnIcon()
    {
        threeIcons();
        int index = 0;
        QString name = QStringLiteral("C:\\old\\b.svg");
        QVERIFY(choose(index, name, [](TIMForm &form) {
            QCOMPARE(current(form), QStringLiteral("b.svg"));
            QVERIFY(form.view()->hasFocus());
            QListWidget *view = form.view();
            const QPoint at = view->visualItemRect(view->item(2)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        }));
        QCOMPARE(index, 2);
        QCOMPARE(name, QStringLiteral("c.ico"));

        index = 7;
        name.clear();
        QVERIFY(choose(index, name, [](TIMForm &form) {
            QCOMPARE(current(form), QStringLiteral("c.ico"));
            QTest::keyClick(form.view(), Qt::Key_Left);
            QTest::keyClick(form.view(), Qt::Key_Return);
        }));
        QCOMPARE(index, 1);
        QCOMPARE(name, QStringLiteral("b.svg"));

        QVERIFY(!choose(index, name, [](TIMForm &form) { QTest::keyClick(form.view(), Qt::Key_Escape); }));
        QVERIFY(!choose(index, name, [](TIMForm &form) { press(form, "cancel"); }));
        QCOMPARE(index, 1);
        QCOMPARE(name, QStringLiteral("b.svg"));

        // No icons: OK chooses nothing.
        icons.LoadIcons(dir->filePath(QStringLiteral("missing")));
        QVERIFY(!choose(index, name, [](TIMForm &form) { press(form, "ok"); }));
    }

    // Add copies a picture into the icon folder and shows it selected; a
    // file that is no picture, or a name taken unless the user agrees, is
    // not copied.
    void addIcons()
    {
        threeIcons();
        const QString drawn = elsewhere(QStringLiteral("B.svg"));
        const QString notAPicture = elsewhere(QStringLiteral("fake.png"));
        QVERIFY(savePicture(elsewhere(QStringLiteral("new.png")), {48, 48}));
        QVERIFY(TestFiles::write(drawn, squareSvg));
        QVERIFY(TestFiles::write(notAPicture, "text\n"));
        QVERIFY(TestFiles::write(
            folder + QStringLiteral("b.svg"), QByteArray(squareSvg).replace("red", "green")));
        QVERIFY(icons.LoadIcons(folder));
        prompt.answerFiles({elsewhere(QStringLiteral("new.png"))});
        prompt.answerFiles({notAPicture});
        prompt.answerFiles({drawn});
        prompt.answerChoice(false);
        prompt.answerFiles({drawn});
        prompt.answerChoice(true);
        int index = 0;
        QString name;
        QVERIFY(choose(index, name, [this](TIMForm &form) {
            press(form, "add");
            QCOMPARE(icons.count(), 4);
            QCOMPARE(current(form), QStringLiteral("new.png"));
            QCOMPARE(form.view()->count(), 4);

            press(form, "add");
            QCOMPARE(prompt.shown().last().kind, RecordingPrompt::Kind::Warning);
            QVERIFY(prompt.shown().last().text.contains(QLatin1String("fake.png")));
            QVERIFY(!QFile::exists(folder + QStringLiteral("fake.png")));

            // The name is taken in another spelling: kept, then replaced.
            press(form, "add");
            QCOMPARE(prompt.shown().last().kind, RecordingPrompt::Kind::YesNo);
            QVERIFY(TestFiles::read(folder + QStringLiteral("b.svg")) != squareSvg);
            press(form, "add");
            QCOMPARE(TestFiles::read(folder + QStringLiteral("b.svg")), squareSvg);
            QVERIFY(!QFile::exists(folder + QStringLiteral("B.svg")));
            QCOMPARE(current(form), QStringLiteral("b.svg"));
            press(form, "ok");
        }));
        QCOMPARE(name, QStringLiteral("b.svg"));
        QCOMPARE(icons.count(), 4);
        const QList<RecordingPrompt::Kind> kinds{RecordingPrompt::Kind::Files, RecordingPrompt::Kind::Files,
            RecordingPrompt::Kind::Warning, RecordingPrompt::Kind::Files, RecordingPrompt::Kind::YesNo,
            RecordingPrompt::Kind::Files, RecordingPrompt::Kind::YesNo};
        QCOMPARE(prompt.shown().size(), kinds.size());
        for (int i = 0; i < kinds.size(); ++i)
            QCOMPARE(prompt.shown().at(i).kind, kinds.at(i));
    }

    // Delete removes the selected icon's file only once the user agrees.
    void deleteIcon()
    {
        threeIcons();
        prompt.answerChoice(false);
        prompt.answerChoice(true);
        int index = 2;
        QString name;
        QVERIFY(!choose(index, name, [this](TIMForm &form) {
            press(form, "delete");
            QVERIFY(prompt.shown().last().text.contains(QLatin1String("c.ico")));
            QVERIFY(QFile::exists(folder + QStringLiteral("c.ico")));
            press(form, "delete");
            QVERIFY(!QFile::exists(folder + QStringLiteral("c.ico")));
            QCOMPARE(form.view()->count(), 2);
            QCOMPARE(current(form), QStringLiteral("b.svg"));
            press(form, "cancel");
        }));
        QCOMPARE(icons.count(), 2);
        QCOMPARE(prompt.shown().size(), 2);
    }

    // Refresh reads the folder again and selects the entry's icon by name,
    // wherever it now is; new unreadable files are logged.
    void refreshKeepsTheEntrysIcon()
    {
        threeIcons();
        int index = 1;
        QString name = QStringLiteral("b.svg");
        QVERIFY(choose(index, name, [this](TIMForm &form) {
            QVERIFY(savePicture(folder + QStringLiteral("0.png"), {32, 32}));
            QVERIFY(TestFiles::write(folder + QStringLiteral("bad.ico"), "junk"));
            QTest::keyClick(form.view(), Qt::Key_Right);
            press(form, "refresh");
            QCOMPARE(form.view()->count(), 4);
            QCOMPARE(current(form), QStringLiteral("b.svg"));
            QVERIFY(form.view()->hasFocus());
            press(form, "ok");
        }));
        QCOMPARE(index, 2);
        QVERIFY(
            logText().contains(QLatin1String("Error loading icons: ") + folder + QLatin1String("bad.ico")));
    }
};

QTEST_MAIN(SessionIconsTest)
#include "session_icons.moc"
