#pragma once

#include <QString>

class SettingsStore;

// The telnet firewall a TCP client connection goes through when in use: the
// connection opens to the firewall, which is told the wanted host and port
// once it prompts.
struct TelnetFirewall {
    bool use = false;
    QString host;
    QString port = QStringLiteral("23");
    QString prompt = QStringLiteral("Wingate>");

    static TelnetFirewall load(SettingsStore &settings);
    void save(SettingsStore &settings) const;
};
