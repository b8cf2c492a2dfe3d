#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>

class QWidget;

// Paint events on any of some top-level windows (their children included)
// while watching: how many, and the longest stretch without one.
class PaintGaps : public QObject {
public:
    explicit PaintGaps(QList<QWidget *> windows);

    // Starts counting afresh; the stretch before the first paint counts.
    void start();
    // Ends the count; the stretch after the last paint counts.
    void stop();

    long paints() const { return paints_; }
    double longestGapMs() const { return longestNs_ / 1e6; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void mark();

    QList<QWidget *> windows_;
    QElapsedTimer clock_;
    bool watching_ = false;
    qint64 lastNs_ = 0;
    qint64 longestNs_ = 0;
    long paints_ = 0;
};
