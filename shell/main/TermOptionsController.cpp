#include "shell/main/TermOptionsController.h"

#include "comms/ui/Terminal.h"
#include "shell/HelpService.h"
#include "shell/TLog.h"
#include "shell/main/Mainform.h"
#include "shell/settings/SettingsStore.h"
#include "shell/ui/FormPlacement.h"
#include "terminal/KeyboardSettings.h"
#include "terminal/ui/FontChooser.h"
#include "terminal/ui/TTermForm.h"
#include "terminal/ui/TermOptionsApply.h"

#include <QAction>
#include <QCursor>
#include <QFontInfo>
#include <QToolButton>

namespace {
constexpr int smallestFontSize = 5;
constexpr int largestFontSize = 20;
} // namespace

TermOptionsController::TermOptionsController(TMainform &window, SettingsStore &settings, TLog &log,
    HelpService &help, KeyboardSettings &keyboard, FontChooser &fonts, std::function<bool()> adminCheck)
    : window_(window)
    , settings_(settings)
    , log_(log)
    , help_(help)
    , keyboard_(keyboard)
    , fonts_(fonts)
    , adminCheck_(std::move(adminCheck))
{
    QAction *options = window_.entry(QStringLiteral("Terminaloptions1"));
    options->setEnabled(true);
    connect(options, &QAction::triggered, this, &TermOptionsController::Terminaloptions1Click);
    QAction *font = window_.entry(QStringLiteral("Font1"));
    font->setEnabled(true);
    connect(font, &QAction::triggered, this, &TermOptionsController::Font1Click);
    for (const auto &[name, step] : {std::pair{"btnFontUp", 1}, std::pair{"btnFontDown", -1}}) {
        QToolButton *button = window_.button(QString::fromLatin1(name));
        button->setEnabled(true);
        connect(button, &QToolButton::clicked, this,
            [this, button, step = step] { changeFontSize(step, button); });
    }
}

void TermOptionsController::GetTermFOnt()
{
    options_ = TermOptions::load(settings_);
    applyTermOptions(options_, *window_.terminal());
    window_.setTerminalColours(options_.foreground, options_.background);
}

void TermOptionsController::SaveTermFont()
{
    takeTerminalState(options_, *window_.terminal());
    options_.save(settings_);
}

void TermOptionsController::SizeWindowToTerminal()
{
    const Terminal &terminal = *window_.terminal();
    const WindowBars bars = window_.windowBars();
    const QSize cell(terminal.charWidth(), terminal.charHeight());
    // The sizes are the window's outer ones; Qt sizes the part inside the frame.
    const QSize frame = window_.frameGeometry().size() - window_.size();
    const QSize size
        = terminalWindowSize(cell, terminal.visibleColumns(), terminal.visibleRows(), bars) - frame;
    const QSize maximum
        = terminalMaximumSize(frame, cell, terminal.columns(), terminal.pageHeight(), bars) - frame;
    // Without a window manager's frame the maximum's smaller margins would cut the grid's.
    window_.setMaximumSize(maximum.expandedTo(size));
    window_.resize(size);
}

void TermOptionsController::SizeToFont()
{
    SizeWindowToTerminal();
    log_.write(QStringLiteral("SizeToFOnt"));
}

void TermOptionsController::changeFontSize(int step, QToolButton *button)
{
    Terminal &terminal = *window_.terminal();
    const QSize before = window_.size();
    QFont font = terminal.terminalFont();
    int size = QFontInfo(font).pointSize();
    // Several point sizes may give the same cell: step on until the window changes.
    do {
        const int next = qBound(smallestFontSize, size + step, largestFontSize);
        if (next == size)
            return;
        size = next;
        font.setPointSize(size);
        terminal.setTerminalFont(font);
        SizeWindowToTerminal();
    } while (window_.size() == before);
    // The button moved with the window; keep the pointer on it for the next click.
    QCursor::setPos(button->mapToGlobal(button->rect().center()));
}

void TermOptionsController::Font1Click()
{
    Terminal &terminal = *window_.terminal();
    if (const std::optional<QFont> font = fonts_.chooseFont(terminal.terminalFont(), false, &window_))
        useFont(*font, options_.rows, options_.columns);
}

void TermOptionsController::useFont(const QFont &font, int rows, int columns)
{
    Terminal &terminal = *window_.terminal();
    terminal.setTerminalFont(font);
    takeFont(options_, font);
    terminal.setPageSize(rows, columns);
    SizeToFont();
}

void TermOptionsController::Terminaloptions1Click()
{
    if (!adminCheck_())
        return;
    Terminal &terminal = *window_.terminal();
    TTermForm form(&window_);
    RestoreFormPlacement(settings_, form);
    TermFormValues values;
    values.foreground = options_.foreground;
    values.background = options_.background;
    values.ignoreBackground = options_.ignoreBackground;
    values.rows = options_.rows;
    values.columns = options_.columns;
    values.termEmu = terminal.termemu().emulation();
    values.keyEmu = keyboard_.emulationType;
    values.processExtended = terminal.keyEmu().processExtended();
    values.processAll = terminal.keyEmu().processAll();
    values.mapF = keyboard_.mapF;
    values.addLf = keyboard_.addLf;
    values.addCr = keyboard_.addCr;
    values.confirmHangup = options_.confirmHangup;
    values.exitOnDisconnect = options_.exitOnDisconnect;
    values.doorway = terminal.doorway();
    form.setValues(values);
    connectImmediateControls(form);
    if (form.exec() == QDialog::Accepted)
        acceptForm(form);
    SaveFormPlacement(settings_, form);
    SizeWindowToTerminal();
}

void TermOptionsController::connectImmediateControls(TTermForm &form)
{
    Terminal &terminal = *window_.terminal();
    connect(&form, &TTermForm::terminalEmulationChosen, this,
        [&terminal](int type) { terminal.termemu().setEmulation(type); });
    connect(&form, &TTermForm::keyboardEmulationChosen, this, [this, &terminal](const QString &type) {
        keyboard_.emulationType = type;
        terminal.keyEmu().setEmulation(type);
    });
    connect(&form, &TTermForm::processExtendedChanged, &terminal.keyEmu(), &KeyEmu::setProcessExtended);
    connect(&form, &TTermForm::processAllChanged, &terminal.keyEmu(), &KeyEmu::setProcessAll);
    connect(&form, &TTermForm::crLfChanged, this, [this](bool on) { keyboard_.addLf = on; });
    connect(&form, &TTermForm::lfCrChanged, this, [this](bool on) { keyboard_.addCr = on; });
    connect(&form, &TTermForm::confirmHangupChanged, this, [this](bool on) { options_.confirmHangup = on; });
    connect(&form, &TTermForm::exitOnDisconnectChanged, this,
        [this](bool on) { options_.exitOnDisconnect = on; });
    connect(&form, &TTermForm::fontRequested, this, [this, &form] { chooseTerminalFont(form); });
    connect(&form, &TTermForm::helpRequested, this, [this] { help_.showHelp(TTermForm::helpContext); });
}

void TermOptionsController::chooseTerminalFont(TTermForm &form)
{
    Terminal &terminal = *window_.terminal();
    if (const std::optional<QFont> font = fonts_.chooseFont(terminal.terminalFont(), true, &form))
        useFont(*font, TermOptions::defaultRows, TermOptions::defaultColumns);
}

// In the order the dialog's OK has always applied them.
void TermOptionsController::acceptForm(const TTermForm &form)
{
    Terminal &terminal = *window_.terminal();
    const TermFormValues values = form.values();
    options_.ignoreBackground = values.ignoreBackground;
    options_.background = values.background;
    options_.columns = values.columns;
    options_.rows = values.rows;
    terminal.setPageSize(values.rows, values.columns);
    options_.foreground = values.foreground;
    window_.setTerminalColours(options_.foreground, options_.background);
    options_.doorway = values.doorway;
    settings_.write(Setting::Doorway, values.doorway);
    terminal.setDoorway(values.doorway);
    window_.Setcaptions(values.doorway);
    // Without an accelerator in doorway mode, so Alt+S goes to the other side.
    window_.button(QStringLiteral("ScriptsBtn"))
        ->setText(values.doorway ? QStringLiteral("Scripts") : QStringLiteral("&Scripts"));
    keyboard_.mapF = values.mapF;
    settings_.write(Setting::AllKeys, terminal.keyEmu().processAll());
    settings_.write(Setting::Extended, terminal.keyEmu().processExtended());
}
