// The menu entries of the ports: names, the telnet firewall and the line
// signals of the terminal pop-up.
#include "shell/main/Application.h"

#include "sessions/ui/PortRenameForm.h"
#include "sessions/ui/TelnetFirewallDialog.h"

#include <QAction>

void Application::wirePorts()
{
    const auto wire = [this](const char *name, auto handler) {
        QAction *entry = window_.entry(QString::fromLatin1(name));
        entry->setEnabled(true);
        connect(entry, &QAction::triggered, this, handler);
    };
    wire("Comportnaming1", [this] {
        QtPortRenameDialog dialog(&window_, ComDevices::fromSettings(settings_));
        portNaming_->Comportnaming1Click(dialog);
    });
    wire("Telnet1", [this] {
        if (!adminLock_->AdminCheck())
            return;
        TelnetFirewallDialog dialog(&window_);
        dialog.edit(telnetFirewall_);
    });
    wire("DropDTR1", [this] { lineSignals_.DropDTR1Click(); });
    wire("RaiseDTR1", [this] { lineSignals_.RaiseDTR1Click(); });
    wire("RaiseRTS1", [this] { lineSignals_.RaiseRTS1Click(); });
    wire("DropRTS1", [this] { lineSignals_.DropRTS1Click(); });
}
