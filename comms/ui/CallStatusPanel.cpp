#include "comms/ui/CallStatusPanel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// Wide enough for "NO DIALTONE" or a long result line without the window jumping.
constexpr int valueChars = 32;

} // namespace

CallStatusPanel::CallStatusPanel(const QString &caption, QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setWindowTitle(caption);
    form_ = new QFormLayout;
    auto *buttons = new QDialogButtonBox(this);
    cancel_ = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel_->setObjectName(QStringLiteral("cancel"));
    connect(cancel_, &QPushButton::clicked, this, &CallStatusPanel::cancelClicked);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    layout->addWidget(buttons);
}

QLabel *CallStatusPanel::addValue(const QString &caption, const QString &objectName)
{
    auto *label = new QLabel(this);
    label->setObjectName(objectName);
    label->setMinimumWidth(fontMetrics().averageCharWidth() * valueChars);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form_->addRow(caption, label);
    return label;
}

void CallStatusPanel::showEvent(QShowEvent *event)
{
    if (const QWidget *owner = parentWidget(); owner && owner->isVisible()) {
        adjustSize();
        move(owner->frameGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}
