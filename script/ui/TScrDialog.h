#pragma once

#include <QDialog>

#include <functional>

class FolderBrowser;
class HelpService;
class QLineEdit;
class SettingsStore;
class TCustomScript;
class UserPrompt;

// "Execute Script": picks a script file, checks it, opens it in the
// editor, and on OK leaves it prepared in the engine for running.
class TScrDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int helpContext = 6;

    struct Services {
        TCustomScript &script;
        UserPrompt &prompt;
        HelpService &help;
        SettingsStore &settings;
        // The administrator check in front of the editor.
        std::function<bool()> adminCheck;
        // A script is running: no other is prepared meanwhile.
        std::function<bool()> scriptRunning;
    };
    TScrDialog(Services services, const QString &scriptDir, QWidget *parent = nullptr);
    ~TScrDialog() override;

    // The folder the browser shows, ending in '/'.
    QString folder() const;
    QLineEdit *fileEdit() const { return fileEdit_; }
    QLineEdit *extensionEdit() const { return extension_; }

    void okClicked();
    void Check();
    void EditScript();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Prepares the named script; false (with the box shown) when it is bad.
    bool prepare(const QString &file);

    Services services_;
    FolderBrowser *browser_;
    QLineEdit *extension_;
    QLineEdit *fileEdit_;
};
