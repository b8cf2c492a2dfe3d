#pragma once

#include <QString>

// Where a binary send shows how far it got: the progress window, or a
// recording fake in tests.
class BinarySendProgress {
public:
    virtual ~BinarySendProgress() = default;
    virtual void showFile(const QString &name, qint64 size) = 0;
    virtual void showProgress(qint64 sent, qint64 bytesLeft, int percent) = 0;
};
