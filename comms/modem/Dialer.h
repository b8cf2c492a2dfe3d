#pragma once

#include <QObject>
#include <QString>

class Modem;

// Dials a number on the modem with retries: up to maxTries attempts with
// retrySeconds between them; NO DIALTONE and ERROR end it at once. The
// "Dial Progress" window follows its signals and calls cancel().
class Dialer : public QObject {
    Q_OBJECT
public:
    explicit Dialer(Modem &modem, QObject *parent = nullptr);
    ~Dialer() override;

    void setNumber(const QString &number);
    QString number() const;
    void setMaxTries(int tries);
    int maxTries() const;
    void setRetrySeconds(int seconds);
    int retrySeconds() const;

    // Starts dialling; finished reports the outcome once.
    void run();
    void cancel();
    bool isRunning() const;
    // The last run ended by cancel().
    bool wasCancelled() const;

signals:
    void attemptStarted(int attempt, int maxTries);
    // The modem's answers and the dialler's own state, for the window.
    void statusText(const QString &text);
    // Seconds until the next attempt, counting down once a second.
    void retryCountdown(int seconds);
    // True when connected; false on failure or cancel.
    void finished(bool connected);
};
