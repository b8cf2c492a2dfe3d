#include "sessions/TelnetFirewall.h"

#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"

TelnetFirewall TelnetFirewall::load(SettingsStore &settings)
{
    TelnetFirewall firewall;
    firewall.use = settings.read(Setting::TelnetUseFirewall);
    firewall.host = settings.read(Setting::TelnetFirewallHost);
    firewall.port = settings.read(Setting::TelnetFirewallPort);
    firewall.prompt = settings.read(Setting::TelnetFirewallPrompt);
    return firewall;
}

void TelnetFirewall::save(SettingsStore &settings) const
{
    settings.write(Setting::TelnetUseFirewall, use);
    settings.write(Setting::TelnetFirewallHost, host);
    settings.write(Setting::TelnetFirewallPort, port);
    settings.write(Setting::TelnetFirewallPrompt, prompt);
}
