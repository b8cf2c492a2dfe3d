#pragma once

#include "transfer/TransferSwitches.h"

#include <QObject>

#include <functional>

class HelpService;
class ProtocolEngine;
class QAction;
class QWidget;
class SessionState;
class SettingsStore;

// The protocol options: loaded into the engine at start-up, replaced by the
// current entry's copy, and edited in "File transfer protocol options" from
// the Transfer menu's "&Options" and from the entry editor.
class ProtocolOptionsController : public QObject {
    Q_OBJECT
public:
    struct Parts {
        ProtocolEngine &engine;
        SettingsStore &settings;
        SessionState &state;
        HelpService &help;
        QWidget *window; // the dialog's parent
        QAction *optionsEntry; // the Transfer menu's "&Options"
        std::function<bool()> adminCheck;
        std::function<bool()> showHints;
    };
    explicit ProtocolOptionsController(Parts parts);

    // Start-up: the settings into the engine and the two switches.
    void LoadProtocolOptions();
    // The current entry's options into the engine and the settings.
    void ApplyEntryProtocolOptions();
    // The dialog over the engine's values; OK stores the choices in the
    // current entry and the switches and answers true, Cancel changes nothing.
    bool EditProtocolOptions();
    // "&Options": the administrator check, the dialog, and on OK the new
    // choices applied.
    void TransferOptions1Click();

    const TransferSwitches &switches() const { return switches_; }
    // Exit: the switches into the settings.
    void saveSwitches();

private:
    Parts parts_;
    TransferSwitches switches_;
};
