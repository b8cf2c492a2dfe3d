#include "shell/ui/StatusWindow.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StatusWindow::StatusWindow(const QList<StatusLine> &lines, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("StatusWindow"));
    setWindowTitle(QStringLiteral("Status"));
    setModal(true);
    // Caption and value columns: the first half of the lines on the left,
    // the rest (one more when odd) on the right.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setColumnMinimumWidth(2, 16);
    const qsizetype half = lines.size() / 2;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int row = int(i < half ? i : i - half);
        const int column = i < half ? 0 : 3;
        const StatusLine &line = lines[i];
        auto *caption = new QLabel(line.caption, this);
        if (line.heading) {
            QFont bold = caption->font();
            bold.setBold(true);
            caption->setFont(bold);
            grid->addWidget(caption, row, column, 1, 2);
            continue;
        }
        auto *value = new QLabel(line.value, this);
        value->setObjectName(line.caption);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(caption, row, column);
        grid->addWidget(value, row, column + 1);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &StatusWindow::helpRequested);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

QString StatusWindow::value(const QString &caption) const
{
    const auto *label = findChild<QLabel *>(caption);
    return label ? label->text() : QString();
}
