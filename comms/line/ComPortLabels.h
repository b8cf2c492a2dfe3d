#pragma once

#include "comms/line/ComDevices.h"

#include <QHash>
#include <QString>

#include <algorithm>

// How COM ports are shown wherever one is chosen: the display name, the
// device path and, for a port this machine has, its description. Takes one
// look at the machine's serial ports and the device settings when made.
class ComPortLabels {
public:
    explicit ComPortLabels(const ComDevices::Override &override = {});

    // "Modem - /dev/ttyUSB0 - FT232R USB UART"; without the description for
    // a port the machine does not have or does not describe.
    QString label(int comNumber, const QString &displayName) const;
    // Whether the port's device is there: a serial port of this machine, or
    // an existing device a ComDevice<n> setting names (pseudo-terminals are
    // not listed as serial ports).
    bool isPresent(int comNumber) const;

    // The ports in the same order, those present first.
    template <typename List, typename NumberOf> List presentFirst(List ports, NumberOf numberOf) const
    {
        std::stable_partition(
            ports.begin(), ports.end(), [&](const auto &port) { return isPresent(numberOf(port)); });
        return ports;
    }

private:
    struct Port {
        QString path;
        bool overridden = false;
    };
    Port port(int comNumber) const { return ports_.value(comNumber); }

    QHash<int, Port> ports_;
    // Canonical system location -> description, of the serial ports found.
    QHash<QString, QString> present_;
};
