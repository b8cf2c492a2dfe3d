#pragma once

#include <QDialog>
#include <QList>

// One line of the status window: a caption and its value, or a heading.
struct StatusLine {
    QString caption;
    QString value;
    bool heading = false;

    bool operator==(const StatusLine &) const = default;
};

// "Status": the line and terminal settings, a caption and its value on each
// line, in two columns. Modal, closed by its button.
class StatusWindow : public QDialog {
    Q_OBJECT
public:
    explicit StatusWindow(const QList<StatusLine> &lines, QWidget *parent = nullptr);

    // The value shown beside a caption, for tests.
    QString value(const QString &caption) const;

signals:
    void helpRequested();
};
