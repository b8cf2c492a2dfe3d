#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What a file dialog asks for.
struct FileRequest {
    enum class Mode { Open, OpenMany, Save, Folder };
    Mode mode = Mode::Open;
    QString caption;
    QString folder;
    // Qt name filter, for example "Scripts (*.scr);;All files (*)".
    QString filter;
};

// Every message box, input box and file dialog of the program goes through this
// service, so tests can script the answers and read the texts shown.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;

    // Warning with OK.
    virtual void warning(const QString &text) = 0;
    // Information with OK.
    virtual void information(const QString &text) = 0;
    // Confirmation with OK and Cancel; true for OK.
    virtual bool confirm(const QString &text) = 0;
    // Warning with Yes and No; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // Input box; no value when cancelled.
    virtual std::optional<QString> input(const QString &caption, const QString &prompt, const QString &value)
        = 0;
    // File dialog; the chosen paths (one unless OpenMany), empty when cancelled.
    virtual QStringList chooseFiles(const FileRequest &request) = 0;
};
