#include "transfer/ui/TProtOptions.h"

#include "shell/ui/DialogButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QStringList asciiTranslations{QStringLiteral("none"), QStringLiteral("strip"),
    QStringLiteral("add CR before LF"), QStringLiteral("add LF after CR")};

QCheckBox *addCheck(QVBoxLayout *layout, const QString &caption, const QString &name)
{
    auto *box = new QCheckBox(caption);
    box->setObjectName(name);
    layout->addWidget(box);
    return box;
}

QComboBox *list(const QString &name, const QStringList &items)
{
    auto *combo = new QComboBox;
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

QLineEdit *edit(const QString &name, int maxLength = 0)
{
    auto *field = new QLineEdit;
    field->setObjectName(name);
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    return field;
}

// A list's item, or the first when the number is none of its items.
void choose(QComboBox *combo, int item)
{
    combo->setCurrentIndex(item >= 0 && item < combo->count() ? item : 0);
}

} // namespace

TProtOptions::TProtOptions(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ProtOptions"));
    setWindowTitle(QStringLiteral("File transfer protocol options"));
    auto *groups = new QGridLayout;
    groups->addWidget(buildGeneral(), 0, 0);
    groups->addWidget(buildZmodem(), 0, 1);
    groups->addWidget(buildKermit(), 1, 0);
    groups->addWidget(buildAscii(), 1, 1);

    QDialogButtonBox *buttons = OkCancelHelpButtons(*this);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TProtOptions::helpRequested);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);
}

QWidget *TProtOptions::buildGeneral()
{
    auto *group = new QGroupBox(QStringLiteral("General"));
    auto *layout = new QVBoxLayout(group);
    honorDirectory_
        = addCheck(layout, QStringLiteral("Honor incoming directory"), QStringLiteral("chkHonor"));
    includeDirectory_
        = addCheck(layout, QStringLiteral("Include outgoing directory"), QStringLiteral("chkInclude"));
    rtsLowForWrite_
        = addCheck(layout, QStringLiteral("Set RTS low for disk writes"), QStringLiteral("chkRtsLow"));
    abortNoCarrier_
        = addCheck(layout, QStringLiteral("Abort if carrier (DCD) lost"), QStringLiteral("chkAbortCd"));
    launchApp_
        = addCheck(layout, QStringLiteral("Launch associated program"), QStringLiteral("chkLaunchApp"));
    writeFailAction_ = list(QStringLiteral("cbNameCollision"),
        {QStringLiteral("none"), QStringLiteral("reject "), QStringLiteral("rename "),
            QStringLiteral("overwrite ")});
    addHintedBelow(layout, QStringLiteral("Name collision"), writeFailAction_,
        QStringLiteral("Various actions to take if the incoming file's name matches a file allready on your "
                       "computer. Does not apply to the zmodem protocol."));
    return group;
}

QWidget *TProtOptions::buildZmodem()
{
    auto *group = new QGroupBox(QStringLiteral("Zmodem"));
    auto *layout = new QVBoxLayout(group);
    zmodemOptionOverride_
        = addCheck(layout, QStringLiteral("File options override"), QStringLiteral("chkOverride"));
    zmodemSkipNoFile_
        = addCheck(layout, QStringLiteral("Skip if not existing"), QStringLiteral("chkSkipNew"));
    zmodemRecover_ = addCheck(layout, QStringLiteral("Crash recovery"), QStringLiteral("chkCrash"));
    zmodem8K_ = addCheck(layout, QStringLiteral("8K mode"), QStringLiteral("chk8K"));
    autoZmodem_ = addCheck(layout, QStringLiteral("Auto Zmodem download"), QStringLiteral("chkAutoZmodem"));
    zmodemFileOption_ = list(QStringLiteral("cbFileManagement"),
        {QStringLiteral("none"), QStringLiteral("newer or longer"), QStringLiteral("CRC different"),
            QStringLiteral("append"), QStringLiteral("overwrite"), QStringLiteral("newer"),
            QStringLiteral("different"), QStringLiteral("reject")});
    addHintedBelow(layout, QStringLiteral("File managment:"), zmodemFileOption_,
        QStringLiteral("Various Zmodem file options if a file exists on your system and you are trying to "
                       "download a file with the same name."));
    return group;
}

QWidget *TProtOptions::buildKermit()
{
    auto *group = new QGroupBox(QStringLiteral("Kermit"));
    auto *form = new QFormLayout(group);
    kermitMaxLen_ = edit(QStringLiteral("edBlockLength"), 4);
    kermitMaxWindows_ = edit(QStringLiteral("edWindows"), 2);
    kermitTimeoutSecs_ = edit(QStringLiteral("edTimeout"), 3);
    addHinted(form, QStringLiteral("Block length:"), kermitMaxLen_,
        QStringLiteral("Dtermines the maximum number of bytes in one Kermit packet. Usually 94."));
    addHinted(form, QStringLiteral("Windows:"), kermitMaxWindows_,
        QStringLiteral(
            "Determines whether Kermit sliding windows control is enabled. A value of 1 - 27 enabled "
            "sliding windows."));
    addHinted(form, QStringLiteral("Timeout (seconds):"), kermitTimeoutSecs_,
        QStringLiteral("Determines how long Kermit waits for the next expected byte."));
    return group;
}

QWidget *TProtOptions::buildAscii()
{
    auto *group = new QGroupBox(QStringLiteral("Ascii"));
    auto *form = new QFormLayout(group);
    asciiCharDelay_ = edit(QStringLiteral("edCharDelay"));
    asciiLineDelay_ = edit(QStringLiteral("edLineDelay"));
    asciiEofTimeout_ = edit(QStringLiteral("edEofTimeout"));
    asciiCr_ = list(QStringLiteral("cbCrTranslation"), asciiTranslations);
    asciiLf_ = list(QStringLiteral("cbLfTranslation"), asciiTranslations);
    addHinted(form, QStringLiteral("Inter-char delay"), asciiCharDelay_,
        QStringLiteral("Millisecond delay between the transfer of each character."));
    addHinted(form, QStringLiteral("Inter-line delay"), asciiLineDelay_,
        QStringLiteral("Millisecond delay between the transmission of a line."));
    addHinted(form, QStringLiteral("EOF timeout:"), asciiEofTimeout_,
        QStringLiteral(
            "Determines the number of ticks before an ASCII transfer is automatically terminated."));
    addHinted(form, QStringLiteral("CR translation:"), asciiCr_,
        QStringLiteral("How Tarnex handles a CR in a Ascii file transfer."));
    addHinted(form, QStringLiteral("LF translation:"), asciiLf_,
        QStringLiteral("How Tarnex handles a line feed character in an ascii  download."));
    return group;
}

// A captioned field under a group's check boxes, the space left below it.
void TProtOptions::addHintedBelow(
    QVBoxLayout *layout, const QString &caption, QWidget *field, const QString &hint)
{
    auto *form = new QFormLayout;
    layout->addLayout(form);
    layout->addStretch();
    addHinted(form, caption, field, hint);
}

void TProtOptions::addHinted(QFormLayout *form, const QString &caption, QWidget *field, const QString &hint)
{
    form->addRow(caption, field);
    hints_.append({field, hint});
}

void TProtOptions::setShowHints(bool show)
{
    for (const auto &[control, hint] : std::as_const(hints_))
        control->setToolTip(show ? hint : QString());
}

void TProtOptions::setChoices(const ProtocolOptionsChoices &choices)
{
    honorDirectory_->setChecked(choices.honorDirectory);
    includeDirectory_->setChecked(choices.includeDirectory);
    rtsLowForWrite_->setChecked(choices.rtsLowForWrite);
    abortNoCarrier_->setChecked(choices.abortNoCarrier);
    launchApp_->setChecked(choices.launchApp);
    choose(writeFailAction_, choices.writeFailAction);
    zmodemOptionOverride_->setChecked(choices.zmodemOptionOverride);
    zmodemSkipNoFile_->setChecked(choices.zmodemSkipNoFile);
    zmodemRecover_->setChecked(choices.zmodemRecover);
    zmodem8K_->setChecked(choices.zmodem8K);
    autoZmodem_->setChecked(choices.autoZmodem);
    choose(zmodemFileOption_, choices.zmodemFileOption);
    kermitMaxLen_->setText(choices.kermitMaxLen);
    kermitMaxWindows_->setText(choices.kermitMaxWindows);
    kermitTimeoutSecs_->setText(choices.kermitTimeoutSecs);
    asciiCharDelay_->setText(choices.asciiCharDelay);
    asciiLineDelay_->setText(choices.asciiLineDelay);
    asciiEofTimeout_->setText(choices.asciiEofTimeout);
    choose(asciiCr_, choices.asciiCr);
    choose(asciiLf_, choices.asciiLf);
}

ProtocolOptionsChoices TProtOptions::choices() const
{
    ProtocolOptionsChoices choices;
    choices.honorDirectory = honorDirectory_->isChecked();
    choices.includeDirectory = includeDirectory_->isChecked();
    choices.rtsLowForWrite = rtsLowForWrite_->isChecked();
    choices.abortNoCarrier = abortNoCarrier_->isChecked();
    choices.launchApp = launchApp_->isChecked();
    choices.writeFailAction = writeFailAction_->currentIndex();
    choices.zmodemOptionOverride = zmodemOptionOverride_->isChecked();
    choices.zmodemSkipNoFile = zmodemSkipNoFile_->isChecked();
    choices.zmodemRecover = zmodemRecover_->isChecked();
    choices.zmodem8K = zmodem8K_->isChecked();
    choices.autoZmodem = autoZmodem_->isChecked();
    choices.zmodemFileOption = zmodemFileOption_->currentIndex();
    choices.kermitMaxLen = kermitMaxLen_->text();
    choices.kermitMaxWindows = kermitMaxWindows_->text();
    choices.kermitTimeoutSecs = kermitTimeoutSecs_->text();
    choices.asciiCharDelay = asciiCharDelay_->text();
    choices.asciiLineDelay = asciiLineDelay_->text();
    choices.asciiEofTimeout = asciiEofTimeout_->text();
    choices.asciiCr = asciiCr_->currentIndex();
    choices.asciiLf = asciiLf_->currentIndex();
    return choices;
}
