#include "terminal/ui/HotKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

HotKeys::HotKeys(QWidget &window, QObject *parent)
    : QObject(parent)
    , window_(window)
{
    qApp->installEventFilter(this);
}

HotKeys::~HotKeys()
{
    qApp->removeEventFilter(this);
}

void HotKeys::add(int key, Qt::KeyboardModifiers modifiers, Phase phase, Action action)
{
    table_.push_back({key, modifiers, phase, std::move(action)});
}

// An ignored key travels up to the parents and passes the filter again; only
// its first receiver counts.
bool HotKeys::isFirstReceiver(QObject *watched) const
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != &window_)
        return false;
    QWidget *focus = QApplication::focusWidget();
    return focus ? widget == focus : widget == &window_;
}

bool HotKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (running_ || key->isAutoRepeat() || !isFirstReceiver(watched))
        return false;
    const Phase phase = event->type() == QEvent::KeyPress ? Phase::Press : Phase::Release;
    for (const HotKey &hot : table_) {
        if (hot.key != key->key() || hot.phase != phase
            || (key->modifiers() & hot.modifiers) != hot.modifiers)
            continue;
        running_ = true;
        const bool consumed = hot.action(static_cast<QWidget *>(watched), *key);
        running_ = false;
        return consumed;
    }
    return false;
}
