#pragma once

#include "comms/link/ByteLink.h"

#include <QObject>
#include <QPointer>

#include <random>

// Forwards bytes between two links and damages them on the way with a fixed
// seed: flips one bit of a byte with probability flipRate, drops a byte with
// probability dropRate. Damage starts after `cleanBytes` bytes in each
// direction so a handshake can get through. cutAfter(n) drops the whole line
// once n bytes have passed in total.
class NoiseRelay : public QObject {
    Q_OBJECT
public:
    struct Settings {
        quint32 seed = 1;
        double flipRate = 0.0;
        double dropRate = 0.0;
        qint64 cleanBytes = 0;
        qint64 cutAfter = -1;
    };

    NoiseRelay(ByteLink *left, ByteLink *right, const Settings &settings, QObject *parent = nullptr);

    qint64 bytesFlipped() const { return flipped_; }
    qint64 bytesDropped() const { return dropped_; }

signals:
    // Emitted when cutAfter is reached; the owner closes the two sides.
    void lineCut();

private:
    QByteArray damage(const QByteArray &bytes, qint64 &passed);

    QPointer<ByteLink> left_;
    QPointer<ByteLink> right_;
    Settings settings_;
    std::mt19937 random_;
    std::uniform_real_distribution<double> chance_{0.0, 1.0};
    qint64 passedLeftToRight_ = 0;
    qint64 passedRightToLeft_ = 0;
    qint64 flipped_ = 0;
    qint64 dropped_ = 0;
    bool cut_ = false;
};
