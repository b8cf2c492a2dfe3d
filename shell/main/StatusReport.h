#pragma once

#include <QList>
#include <QPair>
#include <QString>

class Comport;
class Terminal;
struct KeyboardSettings;

// The lines of the "Status" window: each caption with its value, read from
// the port, the terminal and its keyboard emulator, and the keyboard options.
using StatusRows = QList<QPair<QString, QString>>;

StatusRows statusReport(const Comport &port, Terminal &terminal, const KeyboardSettings &keyboard);
