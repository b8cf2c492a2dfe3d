#include "comms/ui/KeyCaptureBox.h"

#include <QKeyEvent>

KeyCaptureBox::KeyCaptureBox(QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setPlaceholderText(QStringLiteral("Press a key"));
}

bool KeyCaptureBox::event(QEvent *event)
{
    // Keep Tab and shortcuts (Alt+letter) from leaving the box.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QLineEdit::event(event);
}

void KeyCaptureBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return;
    default:
        emit keyPressed(event->key(), event->modifiers());
    }
}
