#pragma once

#include <QString>

class SettingsStore;

// The look of the terminal and the session options kept with it: read once at
// start-up, changed by the Terminal Settings dialog, the font commands and
// session start, written at exit.
struct TermOptions {
    QString fontName = QStringLiteral("Terminal");
    int fontCharset = 255; // the OEM character set
    int fontSize = 9; // points
    int fontHeight = -12; // negative: character height in pixels
    bool bold = false;
    bool italic = false;
    int foreground = 15; // colours 0-15; 8 and up are the bright variants
    int background = 0;
    bool ignoreBackground = false;
    int termEmu = 1; // 1 ANSI, 2 VT52, 3 VT100, 4 ANSI BBS, 5 VT220
    int rows = 25;
    int columns = 80;
    bool doorway = false;
    bool confirmHangup = true;
    bool exitOnDisconnect = false;

    static constexpr int defaultRows = 25;
    static constexpr int defaultColumns = 80;
    // The face "Terminal" always uses the OEM character set.
    int effectiveCharset() const;

    // Rows or columns below 1 (a stored 0 rows included) read as the defaults.
    static TermOptions load(SettingsStore &store);
    void save(SettingsStore &store) const;
};
