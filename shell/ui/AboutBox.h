#pragma once

#include <QDialog>

// The about box: the program's name and version and what it is.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};
