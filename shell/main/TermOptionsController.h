#pragma once

#include "terminal/TermOptions.h"

#include <QObject>

#include <functional>

class FontChooser;
class QFont;
class HelpService;
class QToolButton;
class SettingsStore;
class TLog;
class TMainform;
class TTermForm;
struct KeyboardSettings;

// The terminal's look and size: its options loaded at start-up and saved at
// exit, the window fitted to the character grid, the font commands and the
// Terminal Settings dialog.
class TermOptionsController : public QObject {
    Q_OBJECT
public:
    // `adminCheck` guards the dialog.
    TermOptionsController(TMainform &window, SettingsStore &settings, TLog &log, HelpService &help,
        KeyboardSettings &keyboard, FontChooser &fonts, std::function<bool()> adminCheck);

    const TermOptions &options() const { return options_; }

    // Reads the options and gives them to the terminal.
    void GetTermFOnt();
    // Writes the options, with the terminal's current font size, emulation,
    // doorway, rows and columns.
    void SaveTermFont();
    void SizeWindowToTerminal();
    void SizeToFont();
    // The "+ " (1) and "- " (-1) buttons: point sizes 5 to 20, stepping until the window changes.
    void changeFontSize(int step, QToolButton *button);
    // The terminal pop-up's "Font".
    void Font1Click();
    // "&Terminal options".
    void Terminaloptions1Click();

private:
    void chooseTerminalFont(TTermForm &form);
    // The terminal gets the font and the grid, and the window follows.
    void useFont(const QFont &font, int rows, int columns);
    void acceptForm(const TTermForm &form);
    void connectImmediateControls(TTermForm &form);

    TMainform &window_;
    SettingsStore &settings_;
    TLog &log_;
    HelpService &help_;
    KeyboardSettings &keyboard_;
    FontChooser &fonts_;
    std::function<bool()> adminCheck_;
    TermOptions options_;
};
