#pragma once

#include "comms/line/ComportTypes.h"

#include <QtGlobal>

// Line settings of a serial port.
struct SerialSettings {
    qint32 baud = 9600;
    int parity = 0; // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int dataBits = 8;
    int stopBits = 1;
    int hardwareFlow = 0; // HardwareFlow bits
    SoftwareFlow softwareFlow = SoftwareFlow::None;
    char xon = 17;
    char xoff = 19;
};
