#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Records a script from the user's typing: for each line typed, a WAIT for
// the prompt it answered (the last characters on the cursor's row when the
// line began), an IF TIMEOUT to the end, and a SEND of the line with CR.
// The lines are kept for the program's whole run, so a later recording is
// saved after the earlier ones.
class ScriptRecorder {
public:
    // Characters of the prompt taken from the screen.
    static constexpr int promptLength = 5;
    // Longest text one recorded SEND carries as written; longer lines are
    // sent in several.
    static constexpr int sendTextLength = 120;

    bool recording() const { return recording_; }
    void start() { recording_ = true; }
    void halt() { recording_ = false; }

    // A character typed at the terminal; cursorRow gives the text of the
    // cursor's screen row.
    void typed(char character, const std::function<QString()> &cursorRow);

    const QStringList &lines() const { return lines_; }
    // The recording is saved: the final label goes after it.
    void appendEnd() { lines_ << QStringLiteral(":End"); }

    // The prompt of a screen row: five characters ending before its last
    // non-blank character.
    static QString promptOf(const QString &row);
    // A caret-encoded text quoted for a script line.
    static QString scriptText(const QString &encoded);

private:
    bool recording_ = false;
    QStringList lines_;
    QByteArray typed_;
    QString prompt_;
    bool promptCaptured_ = false;
};
