#include "terminal/ui/KeyboardController.h"

#include "shell/HelpService.h"

#include "comms/keyboard/DefaultKeyMap.h"
#include "comms/line/Comport.h"
#include "comms/ui/KeymapEditor.h"
#include "comms/ui/Terminal.h"
#include "sessions/SessionState.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "terminal/CrTranslation.h"
#include "terminal/KeyEmulatorSetup.h"
#include "terminal/KeypadMode.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace {

// Ticks of break the Pause key sends: about half a second.
constexpr qint64 pauseBreakTicks = 9;

} // namespace

KeyboardController::KeyboardController(Terminal &terminal, Comport &port, SessionState &state,
    SettingsStore &settings, TLog &log, MainView &view, const Menus &menus, QObject *parent)
    : QObject(parent)
    , terminal_(terminal)
    , port_(port)
    , state_(state)
    , store_(settings)
    , log_(log)
    , view_(view)
    , menus_(menus)
    , hotKeys_(*terminal.window())
{
    terminal_.setTypedCharFilter([this](char character) { return typedChar(character); });
    connect(&terminal_, &Terminal::mouseReleased, this, &KeyboardController::popUpMenu);
    addHotKeys();
    connectMenus();
}

void KeyboardController::load(const QString &programDir)
{
    settings_ = KeyboardSettings::load(store_);
    QString error;
    if (!DefaultKeyMap::install(programDir, &error))
        log_.write(error);
    terminal_.keyEmu().setMapFile(DefaultKeyMap::pathIn(programDir));
    setEcho(settings_.echo);
    SetKeyEmulator();
}

void KeyboardController::save()
{
    settings_.save(store_, terminal_.keyEmu());
}

void KeyboardController::SetKeyEmulator()
{
    KeyEmulatorSetup::SetKeyEmulator(terminal_.keyEmu(), store_, log_, settings_.emulationType);
    showKeypadMode(KeypadMode::isApplication(settings_.emulationType));
}

bool KeyboardController::typedChar(char character)
{
    emit typed(character);
    const std::optional<CrTranslation> translation
        = CrTranslation::of(character, settings_.addLf, settings_.addCr);
    if (!translation)
        return true;
    if (!translation->showFirst)
        port_.putBlock(translation->bytes);
    if (terminal_.halfDuplex())
        terminal_.writeText(translation->bytes);
    terminal_.repaintNow();
    if (translation->showFirst)
        port_.putBlock(translation->bytes);
    return false;
}

void KeyboardController::addHotKeys()
{
    using Phase = HotKeys::Phase;
    hotKeys_.add(Qt::Key_Pause, Qt::NoModifier, Phase::Press, [this](QWidget *, const QKeyEvent &) {
        if (port_.isOpen())
            port_.sendBreak(pauseBreakTicks, true);
        return false;
    });
    // F10 is always the emulated terminal's key, wherever the focus was.
    hotKeys_.add(Qt::Key_F10, Qt::NoModifier, Phase::Press, [this](QWidget *target, const QKeyEvent &key) {
        if (target == &terminal_)
            return false;
        terminal_.setFocus();
        QKeyEvent forwarded(key.type(), key.key(), key.modifiers(), key.text());
        QCoreApplication::sendEvent(&terminal_, &forwarded);
        return true;
    });
    hotKeys_.add(Qt::Key_F10, Qt::NoModifier, Phase::Release, [this](QWidget *, const QKeyEvent &) {
        terminal_.setFocus();
        return false;
    });
    // Alt+F4 acts on the release of F4, whether Alt is let go before or after it.
    hotKeys_.add(Qt::Key_F4, Qt::AltModifier, Phase::Press, [this](QWidget *, const QKeyEvent &) {
        altF4Down_ = true;
        return false;
    });
    hotKeys_.add(Qt::Key_F4, Qt::NoModifier, Phase::Release, [this](QWidget *, const QKeyEvent &key) {
        const bool close = altF4Down_ || key.modifiers().testFlag(Qt::AltModifier);
        altF4Down_ = false;
        if (close)
            emit closeRequested();
        return close;
    });
}

void KeyboardController::connectMenus()
{
    const auto on = [this](const char *name, auto slot) {
        QAction *action = menus_.entry(QString::fromLatin1(name));
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, slot);
    };
    for (const char *name : {"LocalEcho1", "PopLocalEcho1"}) {
        menus_.entry(QString::fromLatin1(name))->setCheckable(true);
        on(name, [this] { setEcho(!terminal_.halfDuplex()); });
    }
    auto *keypad = new QActionGroup(this);
    for (const char *name : {"Numeric1", "Application1"}) {
        QAction *action = menus_.entry(QString::fromLatin1(name));
        action->setCheckable(true);
        keypad->addAction(action);
    }
    on("Numeric1", &KeyboardController::Numeric1Click);
    on("Application1", &KeyboardController::Application1Click);
    on("KeyboardSetup1", &KeyboardController::KeyboardSetup1Click);
    on("Copy1", &KeyboardController::Copy1Click);
    on("Paste1", &KeyboardController::Paste1Click);
    on("Clear1", &KeyboardController::Clear1Click);
    for (const char *name : {"TermMenu", "TermPop"})
        connect(menus_.menu(QString::fromLatin1(name)), &QMenu::aboutToShow, this,
            &KeyboardController::updatePaste);
}

void KeyboardController::setEcho(bool on)
{
    terminal_.setHalfDuplex(on);
    settings_.echo = on;
    for (const char *name : {"LocalEcho1", "PopLocalEcho1"})
        menus_.entry(QString::fromLatin1(name))->setChecked(on);
}

void KeyboardController::showKeypadMode(bool application)
{
    menus_.entry(QStringLiteral("Numeric1"))->setChecked(!application);
    menus_.entry(QStringLiteral("Application1"))->setChecked(application);
}

// The keypad items change the emulator's type for now; "KeyEmu" keeps the chosen terminal.
void KeyboardController::Numeric1Click()
{
    KeyEmu &emulator = terminal_.keyEmu();
    view_.DisplayTerm(emulator.emulation());
    emulator.setEmulation(KeypadMode::numericType(emulator.emulation()));
    KeyEmulatorSetup::reinitialise(emulator, store_, log_);
    showKeypadMode(false);
}

void KeyboardController::Application1Click()
{
    KeyEmu &emulator = terminal_.keyEmu();
    emulator.setEmulation(KeypadMode::applicationType(emulator.emulation()));
    KeyEmulatorSetup::reinitialise(emulator, store_, log_);
    showKeypadMode(true);
}

void KeyboardController::KeyboardSetup1Click()
{
    auto *editor = new KeymapEditor(terminal_.keyEmu().mapFile(), terminal_.window());
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &KeymapEditor::helpRequested, this,
        [this] { emit helpRequested(HelpService::keymapEditor); });
    connect(editor, &QDialog::finished, this, [this] {
        terminal_.keyEmu().setEnabled(false);
        terminal_.keyEmu().setEnabled(true);
        SetKeyEmulator();
    });
    editor->open();
}

void KeyboardController::Copy1Click()
{
    terminal_.copySelection();
}

// One block, exactly as on the clipboard: no line-end translation, echo or
// recording. It is queued whole even when the output buffer is full, so
// pasted text is never lost.
void KeyboardController::Paste1Click()
{
    if (!state_.online())
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    port_.queueBlock(text.left(pasteLimit).toLatin1());
}

void KeyboardController::Clear1Click()
{
    terminal_.clearScreen();
}

void KeyboardController::updatePaste()
{
    menus_.entry(QStringLiteral("Paste1"))
        ->setEnabled(port_.isOpen() && !QGuiApplication::clipboard()->text().isEmpty());
}

void KeyboardController::popUpMenu(Qt::MouseButton button, const QPoint &position)
{
    if (button == Qt::RightButton)
        menus_.menu(QStringLiteral("TermPop"))->popup(terminal_.mapToGlobal(position));
}
