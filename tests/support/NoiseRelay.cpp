#include "NoiseRelay.h"

NoiseRelay::NoiseRelay(ByteLink *left, ByteLink *right, const Settings &settings, QObject *parent)
    : QObject(parent)
    , left_(left)
    , right_(right)
    , settings_(settings)
    , random_(settings.seed)
{
    connect(left, &ByteLink::received, this, [this](const QByteArray &bytes) {
        if (right_ && !cut_)
            right_->send(damage(bytes, passedLeftToRight_));
    });
    connect(right, &ByteLink::received, this, [this](const QByteArray &bytes) {
        if (left_ && !cut_)
            left_->send(damage(bytes, passedRightToLeft_));
    });
}

QByteArray NoiseRelay::damage(const QByteArray &bytes, qint64 &passed)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        if (settings_.cutAfter >= 0 && passedLeftToRight_ + passedRightToLeft_ >= settings_.cutAfter) {
            cut_ = true;
            emit lineCut();
            break;
        }
        const bool noisy = passed >= settings_.cleanBytes;
        ++passed;
        if (noisy && settings_.dropRate > 0 && chance_(random_) < settings_.dropRate) {
            ++dropped_;
            continue;
        }
        char c = byte;
        if (noisy && settings_.flipRate > 0 && chance_(random_) < settings_.flipRate) {
            c = static_cast<char>(c ^ (1 << (random_() % 8)));
            ++flipped_;
        }
        out.append(c);
    }
    return out;
}
