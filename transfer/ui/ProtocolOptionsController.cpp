#include "transfer/ui/ProtocolOptionsController.h"

#include "comms/transfer/ProtocolEngine.h"
#include "sessions/SessionState.h"
#include "shell/HelpService.h"
#include "transfer/ProtocolOptionsStore.h"
#include "transfer/ui/TProtOptions.h"

#include <QAction>

ProtocolOptionsController::ProtocolOptionsController(Parts parts)
    : parts_(std::move(parts))
{
    parts_.optionsEntry->setEnabled(true);
    connect(
        parts_.optionsEntry, &QAction::triggered, this, &ProtocolOptionsController::TransferOptions1Click);
}

void ProtocolOptionsController::LoadProtocolOptions()
{
    ::LoadProtocolOptions(parts_.settings, parts_.engine.options());
    switches_ = TransferSwitches::load(parts_.settings);
}

void ProtocolOptionsController::ApplyEntryProtocolOptions()
{
    ::ApplyEntryProtocolOptions(
        parts_.state.currentEntry(), parts_.state.viaTapi(), parts_.engine.options(), parts_.settings);
}

bool ProtocolOptionsController::EditProtocolOptions()
{
    TProtOptions form(parts_.window);
    form.setShowHints(parts_.showHints());
    form.setChoices(ProtocolOptionsChoices::from(parts_.engine.options(), switches_));
    connect(&form, &TProtOptions::helpRequested, this,
        [this] { parts_.help.showHelp(TProtOptions::helpContext); });
    if (form.exec() != QDialog::Accepted)
        return false;
    PhonebookEntry entry = parts_.state.currentEntry();
    form.choices().store(entry, switches_);
    parts_.state.setCurrentEntry(entry, parts_.state.currentSessionName());
    return true;
}

void ProtocolOptionsController::TransferOptions1Click()
{
    if (parts_.adminCheck() && EditProtocolOptions())
        ApplyEntryProtocolOptions();
}

void ProtocolOptionsController::saveSwitches()
{
    switches_.save(parts_.settings);
}
