#include "terminal/ui/TTermForm.h"

#include "comms/screen/ScreenModel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QStringList colourNames = {"Black", "Red", "Green", "Yellow", "Blue", "Magenta", "Cyan", "White"};
const QStringList terminalEmulations = {"ANSI", "VT52", "VT100", "ANSI BBS", "VT220"};
// The keyboard items and the type each sets.
const QStringList keyboardItems = {"ANSI", "VT52", "VT100", "TN3270", "VT220"};
const QStringList keyboardTypes = {"ANSI", "VT52", "VT100N", "TN3270", "VT220N"};

// The item showing a keyboard type: both keypad modes of VT100 and VT220 select their item.
int keyboardItem(const QString &type)
{
    for (int i = 0; i < keyboardItems.size(); ++i)
        if (type.compare(keyboardItems[i], Qt::CaseInsensitive) == 0
            || type.compare(keyboardItems[i] + QLatin1Char('N'), Qt::CaseInsensitive) == 0
            || type.compare(keyboardItems[i] + QLatin1Char('A'), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void check(QButtonGroup *group, int id)
{
    if (QAbstractButton *button = group->button(id)) {
        button->setChecked(true);
        return;
    }
    // No item for the value: none is selected.
    if (QAbstractButton *checked = group->checkedButton()) {
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
}

} // namespace

TTermForm::TTermForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TermForm"));
    setWindowTitle(QStringLiteral("Terminal Settings"));

    auto *left = new QVBoxLayout;
    left->addWidget(buildColourBox(QStringLiteral("Foreground"), QStringLiteral("foreground"), foreground_));
    left->addWidget(buildColourBox(QStringLiteral("Background"), QStringLiteral("background"), background_));
    ignoreBackground_ = addCheck(left, QStringLiteral("Ignore background colors on extended attributes"),
        QStringLiteral("ignoreBackground"));
    auto *font = new QPushButton(QStringLiteral("Terminal Font"), this);
    font->setObjectName(QStringLiteral("terminalFont"));
    font->setAutoDefault(false);
    connect(font, &QPushButton::clicked, this, &TTermForm::fontRequested);
    left->addWidget(font);
    auto *size = new QFormLayout;
    size->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    rows_ = new QSpinBox(this);
    rows_->setObjectName(QStringLiteral("rows"));
    rows_->setRange(1, ScreenModel::BufferRows);
    columns_ = new QSpinBox(this);
    columns_->setObjectName(QStringLiteral("columns"));
    columns_->setRange(1, ScreenModel::MaxColumns);
    size->addRow(QStringLiteral("Rows"), rows_);
    size->addRow(QStringLiteral("Columns"), columns_);
    left->addLayout(size);
    left->addStretch();

    auto *right = new QVBoxLayout;
    right->addWidget(buildRadioBox(QStringLiteral("Terminal Emulation"), QStringLiteral("terminalEmulation"),
        terminalEmulations, termEmu_));
    connect(termEmu_, &QButtonGroup::idClicked, this,
        [this](int item) { emit terminalEmulationChosen(item + 1); });
    QWidget *keyboard = buildRadioBox(
        QStringLiteral("Keyboard Emulation"), QStringLiteral("keyboardEmulation"), keyboardItems, keyEmu_);
    QLayout *keys = keyboard->layout();
    connect(keyEmu_, &QButtonGroup::idClicked, this,
        [this](int item) { emit keyboardEmulationChosen(keyboardTypes[item]); });
    processExtended_
        = addCheck(keys, QStringLiteral("Process Extendex Keys."), QStringLiteral("processExtended"));
    processAll_ = addCheck(keys, QStringLiteral("Process All Keys"), QStringLiteral("processAll"));
    mapF_ = addCheck(keys, QStringLiteral("Map F1-F10 to macros"), QStringLiteral("mapF"));
    addLf_ = addCheck(keys, QStringLiteral("CR = CR + LF"), QStringLiteral("addLf"));
    addCr_ = addCheck(keys, QStringLiteral("CR = LF + CR"), QStringLiteral("addCr"));
    right->addWidget(keyboard);
    confirmHangup_
        = addCheck(right, QStringLiteral("Confirm hangup on exit"), QStringLiteral("confirmHangup"));
    exitOnDisconnect_
        = addCheck(right, QStringLiteral("Exit on disconnect"), QStringLiteral("exitOnDisconnect"));
    doorway_ = addCheck(right, QStringLiteral("Doorway"), QStringLiteral("doorway"));
    right->addStretch();
    connect(processExtended_, &QCheckBox::toggled, this, &TTermForm::processExtendedChanged);
    connect(processAll_, &QCheckBox::toggled, this, &TTermForm::processAllChanged);
    connect(addLf_, &QCheckBox::toggled, this, &TTermForm::crLfChanged);
    connect(addCr_, &QCheckBox::toggled, this, &TTermForm::lfCrChanged);
    connect(confirmHangup_, &QCheckBox::toggled, this, &TTermForm::confirmHangupChanged);
    connect(exitOnDisconnect_, &QCheckBox::toggled, this, &TTermForm::exitOnDisconnectChanged);

    auto *help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("help"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, &TTermForm::helpRequested);
    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(ok);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto *main = new QVBoxLayout(this);
    main->addLayout(columns);
    main->addLayout(buttons);
}

QWidget *TTermForm::buildColourBox(const QString &title, const QString &name, ColourBox &box)
{
    auto *group = new QGroupBox(title, this);
    group->setObjectName(name);
    auto *grid = new QGridLayout(group);
    box.colours = new QButtonGroup(group);
    // Two columns of four.
    for (int i = 0; i < colourNames.size(); ++i) {
        auto *item = new QRadioButton(colourNames[i], group);
        box.colours->addButton(item, i);
        grid->addWidget(item, i % 4, i / 4);
    }
    box.bold = new QCheckBox(QStringLiteral("Bold"), group);
    box.bold->setObjectName(name + QStringLiteral("Bold"));
    grid->addWidget(box.bold, 4, 0, 1, 2);
    return group;
}

QWidget *TTermForm::buildRadioBox(
    const QString &title, const QString &name, const QStringList &items, QButtonGroup *&group)
{
    auto *box = new QGroupBox(title, this);
    box->setObjectName(name);
    auto *layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *item = new QRadioButton(items[i], box);
        group->addButton(item, i);
        layout->addWidget(item);
    }
    return box;
}

QCheckBox *TTermForm::addCheck(QLayout *layout, const QString &caption, const QString &name)
{
    auto *box = new QCheckBox(caption, this);
    box->setObjectName(name);
    layout->addWidget(box);
    return box;
}

void TTermForm::setColour(const ColourBox &box, int colour)
{
    check(box.colours, colour & 7);
    box.bold->setChecked(colour >= 8);
}

int TTermForm::colour(const ColourBox &box)
{
    return qMax(0, box.colours->checkedId()) + (box.bold->isChecked() ? 8 : 0);
}

void TTermForm::setValues(const TermFormValues &values)
{
    const QSignalBlocker blockTerm(termEmu_);
    const QSignalBlocker blockKeys(keyEmu_);
    const QList<QCheckBox *> reporting
        = {processExtended_, processAll_, addLf_, addCr_, confirmHangup_, exitOnDisconnect_};
    for (QCheckBox *box : reporting)
        box->blockSignals(true);
    setColour(foreground_, values.foreground);
    setColour(background_, values.background);
    ignoreBackground_->setChecked(values.ignoreBackground);
    rows_->setValue(values.rows);
    columns_->setValue(values.columns);
    check(termEmu_, values.termEmu - 1);
    check(keyEmu_, keyboardItem(values.keyEmu));
    processExtended_->setChecked(values.processExtended);
    processAll_->setChecked(values.processAll);
    mapF_->setChecked(values.mapF);
    addLf_->setChecked(values.addLf);
    addCr_->setChecked(values.addCr);
    confirmHangup_->setChecked(values.confirmHangup);
    exitOnDisconnect_->setChecked(values.exitOnDisconnect);
    doorway_->setChecked(values.doorway);
    for (QCheckBox *box : reporting)
        box->blockSignals(false);
}

TermFormValues TTermForm::values() const
{
    TermFormValues values;
    values.foreground = colour(foreground_);
    values.background = colour(background_);
    values.ignoreBackground = ignoreBackground_->isChecked();
    values.rows = rows_->value();
    values.columns = columns_->value();
    values.termEmu = termEmu_->checkedId() + 1;
    const int key = keyEmu_->checkedId();
    values.keyEmu = key >= 0 ? keyboardTypes[key] : QString();
    values.processExtended = processExtended_->isChecked();
    values.processAll = processAll_->isChecked();
    values.mapF = mapF_->isChecked();
    values.addLf = addLf_->isChecked();
    values.addCr = addCr_->isChecked();
    values.confirmHangup = confirmHangup_->isChecked();
    values.exitOnDisconnect = exitOnDisconnect_->isChecked();
    values.doorway = doorway_->isChecked();
    return values;
}
