#include "sessions/LineSignals.h"

#include "comms/line/Comport.h"
#include "shell/MainView.h"
#include "shell/TLog.h"

LineSignals::LineSignals(Comport &port, MainView &view, TLog &log)
    : port_(port)
    , view_(view)
    , log_(log)
{ }

void LineSignals::DropDTR1Click()
{
    report(port_.setDtr(false), "drop DTR");
}

void LineSignals::RaiseDTR1Click()
{
    report(port_.setDtr(true), "raise DTR");
}

void LineSignals::RaiseRTS1Click()
{
    report(port_.setRts(true), "raise RTS");
}

void LineSignals::DropRTS1Click()
{
    report(port_.setRts(false), "drop RTS");
}

void LineSignals::report(bool done, const char *what)
{
    if (done)
        return;
    const QString text = QStringLiteral("Cannot %1: ").arg(QLatin1String(what)) + port_.lastError();
    log_.write(text);
    view_.DisplayTerm(text);
}
