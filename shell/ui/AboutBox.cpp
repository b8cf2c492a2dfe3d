#include "shell/ui/AboutBox.h"

#include "shell/Version.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Tarnex 7.0"));
    auto *icon = new QLabel(this);
    const QIcon appIcon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(48, 48));
    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setText(QStringLiteral("<h3>Tarnex 7.0</h3><p>Version %1</p>"
                                 "<p>A communications terminal for serial lines and telnet hosts, "
                                 "with ANSI, VT52, VT100 and VT220 terminal emulation.</p>")
                      .arg(QString::fromLatin1(Tarnex::versionText)));
    text->setWordWrap(true);
    auto *row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}
