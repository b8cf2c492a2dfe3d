#include "comms/modem/Dialer.h"

#include "comms/modem/Modem.h"

Dialer::Dialer(Modem &modem, QObject *parent)
    : QObject(parent)
    , modem_(modem)
{
    retryTimer_.setInterval(1000);
    connect(&retryTimer_, &QTimer::timeout, this, &Dialer::countDown);
    connect(&modem_, &Modem::resultText, this, [this](const QString &text) {
        if (dialling_)
            emit statusText(text);
    });
    connect(&modem_, &Modem::connected, this, [this] {
        if (dialling_)
            finish(true);
    });
    connect(&modem_, &Modem::connectFailed, this, [this](const QString &result) {
        if (dialling_)
            onFailed(result);
    });
}

Dialer::~Dialer() = default;

void Dialer::setNumber(const QString &number)
{
    number_ = number;
}

QString Dialer::number() const
{
    return number_;
}

void Dialer::setMaxTries(int tries)
{
    maxTries_ = qMax(1, tries);
}

int Dialer::maxTries() const
{
    return maxTries_;
}

void Dialer::setRetrySeconds(int seconds)
{
    retrySeconds_ = qMax(0, seconds);
}

int Dialer::retrySeconds() const
{
    return retrySeconds_;
}

bool Dialer::isRunning() const
{
    return running_;
}

bool Dialer::wasCancelled() const
{
    return cancelled_;
}

void Dialer::run()
{
    if (running_)
        return;
    running_ = true;
    cancelled_ = false;
    attempt_ = 0;
    startAttempt();
}

void Dialer::startAttempt()
{
    ++attempt_;
    dialling_ = true;
    emit attemptStarted(attempt_, maxTries_);
    emit statusText(tr("Dialing %1").arg(number_));
    modem_.dial(number_);
}

void Dialer::onFailed(const QString &result)
{
    dialling_ = false;
    if (result.isEmpty())
        emit statusText(tr("No answer from the modem"));
    // Without a dial tone or with a command the modem refuses, another try fails the same way.
    const bool hopeless = result == QLatin1String("NO DIALTONE") || result == QLatin1String("ERROR");
    if (hopeless || attempt_ >= maxTries_) {
        finish(false);
        return;
    }
    countdown_ = retrySeconds_;
    emit retryCountdown(countdown_);
    if (countdown_ == 0)
        startAttempt();
    else
        retryTimer_.start();
}

void Dialer::countDown()
{
    emit retryCountdown(--countdown_);
    if (countdown_ > 0)
        return;
    retryTimer_.stop();
    startAttempt();
}

void Dialer::cancel()
{
    if (!running_)
        return;
    if (dialling_)
        modem_.cancelDial();
    emit statusText(tr("Cancelled"));
    cancelled_ = true;
    finish(false);
}

void Dialer::finish(bool connected)
{
    running_ = false;
    dialling_ = false;
    retryTimer_.stop();
    emit finished(connected);
}
