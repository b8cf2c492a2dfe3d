#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

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

private:
    void startAttempt();
    void onFailed(const QString &result);
    void countDown();
    void finish(bool connected);

    Modem &modem_;
    QString number_;
    int maxTries_ = 1;
    int retrySeconds_ = 0;
    int attempt_ = 0;
    int countdown_ = 0;
    bool running_ = false;
    bool cancelled_ = false;
    // An attempt is under way and the modem's result not yet in.
    bool dialling_ = false;
    QTimer retryTimer_;
};
