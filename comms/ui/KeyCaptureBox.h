#pragma once

#include <QLineEdit>

// A read-only box that takes the next key press, Tab and Alt combinations included, and reports it.
class KeyCaptureBox : public QLineEdit {
    Q_OBJECT
public:
    explicit KeyCaptureBox(QWidget *parent = nullptr);

signals:
    void keyPressed(int qtKey, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
