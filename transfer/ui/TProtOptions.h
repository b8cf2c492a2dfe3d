#pragma once

#include "transfer/ProtocolOptionsChoices.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QVBoxLayout;
class QLineEdit;

// "File transfer protocol options": the general, Zmodem, Kermit and ASCII
// options. "&OK", "&Cancel" and "&Help" answer Alt+O, Alt+C and Alt+H.
class TProtOptions : public QDialog {
    Q_OBJECT
public:
    static constexpr int helpContext = 16;

    explicit TProtOptions(QWidget *parent = nullptr);

    void setChoices(const ProtocolOptionsChoices &choices);
    ProtocolOptionsChoices choices() const;
    // The hints on the lists and edits, when the user wants hints.
    void setShowHints(bool show);

signals:
    void helpRequested();

private:
    QWidget *buildGeneral();
    QWidget *buildZmodem();
    QWidget *buildKermit();
    QWidget *buildAscii();
    // A labelled row whose field carries `hint` when hints are shown.
    void addHinted(QFormLayout *form, const QString &caption, QWidget *field, const QString &hint);
    void addHintedBelow(QVBoxLayout *layout, const QString &caption, QWidget *field, const QString &hint);

    QCheckBox *honorDirectory_ = nullptr;
    QCheckBox *includeDirectory_ = nullptr;
    QCheckBox *rtsLowForWrite_ = nullptr;
    QCheckBox *abortNoCarrier_ = nullptr;
    QCheckBox *launchApp_ = nullptr;
    QComboBox *writeFailAction_ = nullptr;
    QCheckBox *zmodemOptionOverride_ = nullptr;
    QCheckBox *zmodemSkipNoFile_ = nullptr;
    QCheckBox *zmodemRecover_ = nullptr;
    QCheckBox *zmodem8K_ = nullptr;
    QCheckBox *autoZmodem_ = nullptr;
    QComboBox *zmodemFileOption_ = nullptr;
    QLineEdit *kermitMaxLen_ = nullptr;
    QLineEdit *kermitMaxWindows_ = nullptr;
    QLineEdit *kermitTimeoutSecs_ = nullptr;
    QLineEdit *asciiCharDelay_ = nullptr;
    QLineEdit *asciiLineDelay_ = nullptr;
    QLineEdit *asciiEofTimeout_ = nullptr;
    QComboBox *asciiCr_ = nullptr;
    QComboBox *asciiLf_ = nullptr;
    // Each hinted control with its hint.
    QList<QPair<QWidget *, QString>> hints_;
};
