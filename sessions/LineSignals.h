#pragma once

class Comport;
class MainView;
class TLog;

// The terminal pop-up's "Comport" entries: each sets DTR or RTS on the port
// at once. A line that cannot (not open, a pseudo-terminal, a socket) says
// so in the terminal and the application log.
class LineSignals {
public:
    LineSignals(Comport &port, MainView &view, TLog &log);

    void DropDTR1Click();
    void RaiseDTR1Click();
    void RaiseRTS1Click();
    void DropRTS1Click();

private:
    void report(bool done, const char *what);

    Comport &port_;
    MainView &view_;
    TLog &log_;
};
