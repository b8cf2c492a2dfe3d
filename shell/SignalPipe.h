#pragma once

#include <QObject>

#include <initializer_list>
#include <vector>

class QSocketNotifier;

// Turns signals into a Qt signal on the event loop: the handler only writes
// the signal number to a pipe, which a socket notifier reads.
class SignalPipe : public QObject {
    Q_OBJECT
public:
    explicit SignalPipe(std::initializer_list<int> signalNumbers, QObject *parent = nullptr);
    ~SignalPipe() override;

signals:
    void caught(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *notifier_ = nullptr;
    std::vector<int> signals_;
};
