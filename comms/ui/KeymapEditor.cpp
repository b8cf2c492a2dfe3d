#include "comms/ui/KeymapEditor.h"

#include "comms/CaretNotation.h"
#include "comms/keyboard/DefaultKeyMap.h"
#include "comms/keyboard/KeyNames.h"
#include "comms/ui/KeyCaptureBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

KeymapEditor::KeymapEditor(const QString &mapPath, QWidget *parent)
    : QDialog(parent)
    , path_(mapPath)
{
    setWindowTitle(QStringLiteral("Keymap Editor"));

    emulations_ = new QComboBox(this);
    emulations_->setObjectName(QStringLiteral("emulations"));
    auto *capture = new KeyCaptureBox(this);
    capture->setObjectName(QStringLiteral("capture"));
    keys_ = new QListWidget(this);
    keys_->setObjectName(QStringLiteral("keys"));
    application_ = new QCheckBox(QStringLiteral("Application mode (cursor keys or keypad)"), this);
    application_->setObjectName(QStringLiteral("application"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);

    qsizetype count = 0;
    const KeyName *all = KeyNames::all(&count);
    for (qsizetype i = 0; i < count; ++i) {
        auto *item = new QListWidgetItem(QString::fromLatin1(all[i].label), keys_);
        item->setData(Qt::UserRole, QString::fromLatin1(all[i].name));
    }

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Emulation"), emulations_);
    form->addRow(QStringLiteral("&Press a key"), capture);
    form->addRow(QString(), application_);
    for (int column = 0; column < keyModifierCount; ++column) {
        fields_[column] = new QLineEdit(this);
        fields_[column]->setObjectName(QStringLiteral("field%1").arg(column));
        form->addRow(keyModifierLabel(column), fields_[column]);
        connect(fields_[column], &QLineEdit::textEdited, this, [this, column] { storeField(column); });
    }
    form->addRow(
        new QLabel(QStringLiteral("Sequences in caret notation: ^[ is Esc, ^M is Enter, ^^ is a caret. "
                                  "An empty field leaves the key to the terminal."),
            this));

    auto *buttons = new QDialogButtonBox(
        QDialogButtonBox::Save | QDialogButtonBox::Close | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &KeymapEditor::helpRequested);
    connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &KeymapEditor::reject);

    auto *columns = new QHBoxLayout;
    columns->addWidget(keys_);
    columns->addLayout(form, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(status_);
    layout->addWidget(buttons);

    QString error;
    QStringList warnings;
    if (QFile::exists(path_)) {
        if (!map_.load(path_, &error, &warnings))
            status_->setText(error);
    } else {
        map_.setText(DefaultKeyMap::text());
        status_->setText(QStringLiteral("%1 does not exist; showing the shipped key map.").arg(path_));
    }
    if (!warnings.isEmpty())
        status_->setText(
            QStringLiteral("Lines ignored (kept in the file): ") + warnings.join(QStringLiteral("; ")));
    emulations_->addItems(map_.sections());

    connect(emulations_, &QComboBox::currentIndexChanged, this, &KeymapEditor::showKey);
    connect(keys_, &QListWidget::currentRowChanged, this, &KeymapEditor::showKey);
    connect(application_, &QCheckBox::toggled, this, &KeymapEditor::showKey);
    connect(capture, &KeyCaptureBox::keyPressed, this, &KeymapEditor::pickKey);
    keys_->setCurrentRow(0);
}

bool KeymapEditor::pickKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const KeyName *key = KeyNames::fromQt(qtKey, modifiers);
    const int column = keyModifierColumn(modifiers);
    if (!key || column < 0) {
        status_->setText(QStringLiteral("That key or combination cannot be mapped."));
        return false;
    }
    const QString name = QString::fromLatin1(key->name);
    for (int row = 0; row < keys_->count(); ++row) {
        if (keys_->item(row)->data(Qt::UserRole).toString() == name)
            keys_->setCurrentRow(row);
    }
    fields_[column]->setFocus();
    fields_[column]->selectAll();
    return true;
}

QString KeymapEditor::currentLine() const
{
    const QListWidgetItem *item = keys_->currentItem();
    if (!item)
        return {};
    const QString name = item->data(Qt::UserRole).toString();
    return application_->isChecked() ? name + QStringLiteral(".App") : name;
}

void KeymapEditor::showKey()
{
    showing_ = true;
    const KeySequences *sequences = map_.find(emulations_->currentText(), currentLine());
    for (int column = 0; column < keyModifierCount; ++column)
        fields_[column]->setText(sequences ? CaretNotation::encode((*sequences)[column]) : QString());
    showing_ = false;
}

void KeymapEditor::storeField(int column)
{
    const QString line = currentLine();
    if (showing_ || line.isEmpty() || emulations_->currentText().isEmpty())
        return;
    KeySequences sequences;
    if (const KeySequences *old = map_.find(emulations_->currentText(), line))
        sequences = *old;
    const QString text = fields_[column]->text();
    sequences[column] = text.isEmpty() ? QByteArray() : CaretNotation::decode(text);
    map_.set(emulations_->currentText(), line, sequences);
    modified_ = true;
}

bool KeymapEditor::save()
{
    QString error;
    if (!map_.save(path_, &error)) {
        status_->setText(error);
        return false;
    }
    modified_ = false;
    status_->setText(QStringLiteral("Saved %1").arg(path_));
    return true;
}

void KeymapEditor::reject()
{
    if (modified_) {
        const auto answer = QMessageBox::question(this, QStringLiteral("Keymap Editor"),
            QStringLiteral("Save the changes to the key map?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save()))
            return;
    }
    QDialog::reject();
}
