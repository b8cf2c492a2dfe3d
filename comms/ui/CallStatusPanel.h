#pragma once

#include <QWidget>

class QFormLayout;
class QLabel;
class QPushButton;

// A small tool window of captioned values over a Cancel button: the shape
// the dial and call progress windows share. Value labels carry object names
// so tests can read them.
class CallStatusPanel : public QWidget {
    Q_OBJECT
public:
    CallStatusPanel(const QString &caption, QWidget *parent);

signals:
    void cancelClicked();

protected:
    // Opens over the middle of the window it belongs to.
    void showEvent(QShowEvent *event) override;
    QLabel *addValue(const QString &caption, const QString &objectName);
    QPushButton *cancelButton() const { return cancel_; }

private:
    QFormLayout *form_;
    QPushButton *cancel_;
};
