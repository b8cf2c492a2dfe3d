#pragma once

#include "transfer/BinarySendProgress.h"

#include <QWidget>

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

// "FileTransfer": the progress window of a binary send. It stays on top,
// centred over its parent, without window buttons; Cancel is the only way
// to end the send from here.
class TFiTrans : public QWidget, public BinarySendProgress {
    Q_OBJECT
public:
    explicit TFiTrans(QWidget *parent = nullptr);

    void showFile(const QString &name, qint64 size) override;
    void showProgress(qint64 sent, qint64 bytesLeft, int percent) override;

    // The value shown in a panel, by its label ("File", "Size" ...).
    QString panelText(const QString &label) const;
    int percent() const;

    // Shows the window centred over its parent, or over the screen.
    void showCentred();

signals:
    void cancelClicked();

private:
    // A caption and its sunken value panel, the panel spanning columns.
    QLabel *addPanel(QGridLayout *grid, int row, int column, const QString &label, int columns = 1);

    QLabel *file_;
    QLabel *status_;
    QLabel *size_;
    QLabel *bytesLeft_;
    QLabel *transferred_;
    QLabel *cps_;
    QProgressBar *bar_;
    QPushButton *cancel_;
};
