#pragma once

#include "shell/ui/StatusWindow.h"

class Comport;
class Terminal;
struct KeyboardSettings;

// The lines of the "Status" window: each caption with its value, read from
// the port, the terminal and its keyboard emulator, and the keyboard options.
QList<StatusLine> statusReport(const Comport &port, Terminal &terminal, const KeyboardSettings &keyboard);
