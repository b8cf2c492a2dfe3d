#pragma once

#include <QDialog>

class HelpService;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class SettingsStore;
class TCustomScript;
class UserPrompt;

// "Script Editor": writes a script, loads and saves it, and checks it with
// the script engine, showing the line in error.
class Tscredit : public QDialog {
    Q_OBJECT
public:
    static constexpr int helpContext = 7;

    struct Services {
        TCustomScript &script;
        UserPrompt &prompt;
        HelpService &help;
        SettingsStore &settings;
        // Where the file dialogs start before a file is chosen.
        QString scriptDir;
    };
    explicit Tscredit(Services services, QWidget *parent = nullptr);
    ~Tscredit() override;

    // Loads path as the current file; false when it cannot be read.
    bool loadFile(const QString &path);
    QString currentFile() const { return currentFile_; }
    QPlainTextEdit *text() const { return memo_; }

    void Load();
    // False when there was nothing to save to or the file could not be written.
    bool Save();
    void Check();
    void New();
    void Done();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString fileFilter() const;
    bool writeTo(const QString &path);
    void showLine(int line);
    void layOutButtons();

    Services services_;
    QToolBar *toolBar_;
    QList<QToolButton *> buttons_;
    QPlainTextEdit *memo_;
    QString currentFile_;
    // The name the open and save dialogs start with.
    QString dialogName_;
};
