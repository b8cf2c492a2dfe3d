#include "extras/ui/WaveSetupDialog.h"

#include "shell/HelpService.h"
#include "shell/UserPrompt.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

QString WaveSetupDialog::rowName(EventSounds::Event event)
{
    switch (event) {
    case EventSounds::Connect:
        return QStringLiteral("Connect");
    case EventSounds::Disconnect:
        return QStringLiteral("Disconnect");
    case EventSounds::FileComplete:
        return QStringLiteral("FileComplete");
    case EventSounds::FileFailed:
        break;
    }
    return QStringLiteral("FileFailed");
}

WaveSetupDialog::WaveSetupDialog(EventSounds &sounds, UserPrompt &prompt, QWidget *parent)
    : QDialog(parent)
    , sounds_(sounds)
    , prompt_(prompt)
{
    setWindowTitle(QStringLiteral("Wave setup"));
    auto *grid = new QGridLayout;
    addRow(EventSounds::Connect, QStringLiteral("On Connect"), grid);
    addRow(EventSounds::Disconnect, QStringLiteral("On Disconnect"), grid);
    addRow(EventSounds::FileComplete, QStringLiteral("On file transfer complete"), grid);
    addRow(EventSounds::FileFailed, QStringLiteral("On file transfer failed"), grid);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("help"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &WaveSetupDialog::helpRequested);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void WaveSetupDialog::Waves1Click(EventSounds &sounds, UserPrompt &prompt, HelpService &help, QWidget *parent)
{
    WaveSetupDialog dialog(sounds, prompt, parent);
    connect(&dialog, &WaveSetupDialog::helpRequested, &dialog,
        [&help] { help.showHelp(HelpService::waveSetup); });
    dialog.exec();
}

void WaveSetupDialog::addRow(EventSounds::Event event, const QString &caption, QGridLayout *grid)
{
    const QString name = rowName(event);
    const EventSounds::Sound &sound = sounds_.sound(event);
    auto *use = new QCheckBox(caption, this);
    use->setObjectName(QStringLiteral("use") + name);
    use->setChecked(sound.enabled);
    connect(use, &QCheckBox::toggled, this, [this, event](bool on) { sounds_.setEnabled(event, on); });

    // Typing in the field plays what is typed but leaves the stored path.
    auto *field = new QLineEdit(sound.path, this);
    field->setObjectName(QStringLiteral("file") + name);
    field->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    auto *browseButton = new QToolButton(this);
    browseButton->setObjectName(QStringLiteral("browse") + name);
    browseButton->setText(QStringLiteral("..."));
    connect(browseButton, &QToolButton::clicked, this, [this, event, field] { browse(event, field); });

    auto *play = new QPushButton(QStringLiteral("Play"), this);
    play->setObjectName(QStringLiteral("play") + name);
    connect(play, &QPushButton::clicked, this, [this, field] { sounds_.PlayWave(field->text()); });
    auto *stop = new QPushButton(QStringLiteral("Stop"), this);
    stop->setObjectName(QStringLiteral("stop") + name);
    connect(stop, &QPushButton::clicked, this, [this] { sounds_.stop(); });

    const int row = grid->rowCount();
    grid->addWidget(use, row, 0, 1, 4);
    grid->addWidget(field, row + 1, 0, 1, 2);
    grid->addWidget(browseButton, row + 1, 2);
    auto *playStop = new QHBoxLayout;
    playStop->addWidget(play);
    playStop->addWidget(stop);
    grid->addLayout(playStop, row + 1, 3);
}

void WaveSetupDialog::browse(EventSounds::Event event, QLineEdit *field)
{
    FileRequest request;
    request.mode = FileRequest::Mode::Open;
    request.caption = QStringLiteral("Open");
    request.folder = QFileInfo(sounds_.sound(event).path).absolutePath();
    request.filter = QStringLiteral("Wave files (*.wav);;All files (*)");
    const QStringList chosen = prompt_.chooseFiles(request);
    const QString path = chosen.isEmpty() || chosen.first().isEmpty() ? EventSounds::none() : chosen.first();
    sounds_.setPath(event, path);
    field->setText(path);
}

void WaveSetupDialog::keyPressEvent(QKeyEvent *event)
{
    // Alt with a key that is no shortcut here goes no further.
    if ((event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier))
        == Qt::AltModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void WaveSetupDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}
