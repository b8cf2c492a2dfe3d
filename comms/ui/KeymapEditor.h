#pragma once

#include "comms/keyboard/KeyMap.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
struct KeyName;

// "Keymap Editor": choose an emulation, press a key (or pick it from the list), see and change its
// sequence for each modifier combination in caret notation, and save the key map file.
class KeymapEditor : public QDialog {
    Q_OBJECT
public:
    explicit KeymapEditor(const QString &mapPath, QWidget *parent = nullptr);

    // Selects the key a key event names and focuses the field of its modifier combination; false when
    // the key cannot be mapped.
    bool pickKey(int qtKey, Qt::KeyboardModifiers modifiers);
    bool isModified() const { return modified_; }

public slots:
    bool save();

signals:
    // The Help button was pressed.
    void helpRequested();

protected:
    void reject() override;

private:
    void showKey();
    void storeField(int column);
    QString currentLine() const;

    QString path_;
    KeyMap map_;
    bool modified_ = false;
    bool showing_ = false;
    QComboBox *emulations_;
    QListWidget *keys_;
    QCheckBox *application_;
    std::array<QLineEdit *, keyModifierCount> fields_;
    QLabel *status_;
};
