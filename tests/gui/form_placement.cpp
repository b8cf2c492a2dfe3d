#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "shell/ui/FormPlacement.h"

class FormPlacementTest : public QObject {
    Q_OBJECT

    TLog log{QString()};
    RecordingPrompt prompt;
    SettingsStore store{
        SettingsFolders::fromEnvironment(), log, [this](const QString &text) { prompt.warning(text); }};

    static std::unique_ptr<QWidget> window(const QString &name)
    {
        auto w = std::make_unique<QWidget>();
        w->setObjectName(name);
        w->setGeometry(40, 50, 300, 200);
        return w;
    }

private slots:
    void saveWritesFourNamedValues()
    {
        auto phone = window(QStringLiteral("Phone"));
        phone->move(33, 44);
        phone->resize(321, 234);
        SaveFormPlacement(store, *phone);
        QCOMPARE(store.ReadSettingInteger({}, QStringLiteral("Phonel"), -1), 33);
        QCOMPARE(store.ReadSettingInteger({}, QStringLiteral("Phonet"), -1), 44);
        QCOMPARE(store.ReadSettingInteger({}, QStringLiteral("Phonew"), -1), 321);
        QCOMPARE(store.ReadSettingInteger({}, QStringLiteral("Phoneh"), -1), 234);

        auto again = window(QStringLiteral("Phone"));
        RestoreFormPlacement(store, *again);
        QCOMPARE(again->pos(), QPoint(33, 44));
        QCOMPARE(again->size(), QSize(321, 234));
        QVERIFY(prompt.shown().isEmpty());
    }

    void restoreAppliesOnlyStoredValues()
    {
        store.WriteSettingInteger({}, QStringLiteral("TermFormw"), 410);
        auto term = window(QStringLiteral("TermForm"));
        const QPoint pos = term->pos();
        RestoreFormPlacement(store, *term);
        QCOMPARE(term->pos(), pos);
        QCOMPARE(term->size(), QSize(410, 200));
    }

    void restoreNeverCutsContent()
    {
        store.WriteSettingInteger({}, QStringLiteral("screditw"), 10);
        store.WriteSettingInteger({}, QStringLiteral("scredith"), 10);
        auto editor = window(QStringLiteral("scredit"));
        auto *layout = new QVBoxLayout(editor.get());
        auto *label = new QLabel(QStringLiteral("a label that needs room"));
        label->setMinimumSize(150, 80);
        layout->addWidget(label);
        RestoreFormPlacement(store, *editor);
        QVERIFY(editor->width() >= 150);
        QVERIFY(editor->height() >= 80);
    }
};

QTEST_MAIN(FormPlacementTest)
#include "form_placement.moc"
