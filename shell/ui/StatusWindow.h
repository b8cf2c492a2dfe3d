#pragma once

#include <QDialog>
#include <QList>
#include <QPair>

// "Status": the line and terminal settings, a caption and its value on each
// line; a line without a value heads the lines below it. Modal, closed by
// its button.
class StatusWindow : public QDialog {
    Q_OBJECT
public:
    explicit StatusWindow(const QList<QPair<QString, QString>> &rows, QWidget *parent = nullptr);

    // The value shown beside a caption, for tests.
    QString value(const QString &caption) const;

signals:
    void helpRequested();
};
