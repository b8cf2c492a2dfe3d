#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/transfer/TransferTypes.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class ProtocolEngine;
class QCheckBox;
class QFormLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class SettingsStore;

// The protocol status window: what the transfer engine is doing to which
// file, how far it is and how fast, with a Cancel button. The brief form
// shows only the file name, the progress bar and the buttons; the user
// toggles it here and the main window keeps the flag in the settings.
class ProtocolStatusWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProtocolStatusWindow(QWidget *parent = nullptr);

    // Follows the engine's status and finish events; Cancel cancels it.
    void attach(ProtocolEngine *engine);

    bool isBrief() const { return brief_; }
    void setBrief(bool brief);
    void loadBrief(SettingsStore &settings);
    void saveBrief(SettingsStore &settings) const;

    void showStatus(const TransferStatus &status);

    // "1:05" or "2:03:09"; "--:--" when it cannot be told.
    static QString timeLeftText(const TransferStatus &status);

signals:
    void briefChanged(bool brief);

private:
    void showFinished(int code);
    void refresh();
    void updateTitle(bool sending);

    QPointer<ProtocolEngine> engine_;
    HandlerRegistration finishWatch_;
    // Shows the engine's figures between its status events while it runs.
    QTimer refreshTimer_;
    bool brief_ = false;
    QFormLayout *details_;
    QLabel *fileName_;
    QLabel *fileSize_;
    QLabel *bytesDone_;
    QLabel *rate_;
    QLabel *timeLeft_;
    QLabel *errors_;
    QLabel *result_;
    QProgressBar *progress_;
    QCheckBox *briefBox_;
    QPushButton *cancel_;
};
