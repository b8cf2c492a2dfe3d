#include "PaintGaps.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

PaintGaps::PaintGaps(QList<QWidget *> windows)
    : windows_(std::move(windows))
{
    qApp->installEventFilter(this);
}

void PaintGaps::start()
{
    clock_.start();
    watching_ = true;
    lastNs_ = 0;
    longestNs_ = 0;
    paints_ = 0;
}

void PaintGaps::stop()
{
    mark();
    --paints_;
    watching_ = false;
}

void PaintGaps::mark()
{
    const qint64 now = clock_.nsecsElapsed();
    longestNs_ = qMax(longestNs_, now - lastNs_);
    lastNs_ = now;
    ++paints_;
}

bool PaintGaps::eventFilter(QObject *watched, QEvent *event)
{
    if (watching_ && event->type() == QEvent::Paint && watched->isWidgetType()
        && windows_.contains(static_cast<QWidget *>(watched)->window()))
        mark();
    return false;
}
