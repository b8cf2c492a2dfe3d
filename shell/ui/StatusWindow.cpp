#include "shell/ui/StatusWindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StatusWindow::StatusWindow(const QList<QPair<QString, QString>> &rows, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("StatusWindow"));
    setWindowTitle(QStringLiteral("Status"));
    setModal(true);
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    form->setHorizontalSpacing(24);
    for (const auto &[caption, text] : rows) {
        if (text.isEmpty()) {
            auto *heading = new QLabel(QStringLiteral("<b>%1</b>").arg(caption.toHtmlEscaped()), this);
            form->addRow(heading);
            continue;
        }
        auto *value = new QLabel(text, this);
        value->setObjectName(caption);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &StatusWindow::helpRequested);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString StatusWindow::value(const QString &caption) const
{
    const auto *label = findChild<QLabel *>(caption);
    return label ? label->text() : QString();
}
