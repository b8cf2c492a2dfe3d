#pragma once

#include "extras/EventSounds.h"

#include <QDialog>

class HelpService;
class QGridLayout;
class QLineEdit;
class UserPrompt;

// "Wave setup": per event a check box for its switch, the file with a
// browse button, and play and stop buttons. Every change is in force at
// once; closing the dialog in any way keeps them.
class WaveSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Object names of a row's parts: prefix + "Connect", "Disconnect",
    // "FileComplete" or "FileFailed" (for example "useConnect", "fileConnect").
    static QString rowName(EventSounds::Event event);

    WaveSetupDialog(EventSounds &sounds, UserPrompt &prompt, QWidget *parent = nullptr);

    // The "&Sounds" menu command: the dialog, modal, with Help at its page.
    static void Waves1Click(EventSounds &sounds, UserPrompt &prompt, HelpService &help, QWidget *parent);

signals:
    void helpRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void addRow(EventSounds::Event event, const QString &caption, QGridLayout *grid);
    void browse(EventSounds::Event event, QLineEdit *field);

    EventSounds &sounds_;
    UserPrompt &prompt_;
};
