#include "transfer/ui/TDownForm.h"

#include "shell/HelpService.h"
#include "shell/ui/DialogButtons.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// In protocol number order; the item is the number - 1.
const QStringList protocolItems{QStringLiteral("Xmodem"), QStringLiteral("Xmodem crc"),
    QStringLiteral("Xmodem 1K"), QStringLiteral("Xmodem 1K G"), QStringLiteral("Ymodem"),
    QStringLiteral("Ymodem G"), QStringLiteral("Zmodem"), QStringLiteral("Kermit"), QStringLiteral("Ascii"),
    QStringLiteral("Compuserve B+")};

constexpr int rowsPerColumn = 5;

} // namespace

TDownForm::TDownForm(HelpService &help, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DownForm"));
    setWindowTitle(QStringLiteral("File Transfer Protocol"));

    // Two columns, filled top to bottom.
    auto *group = new QGroupBox(QStringLiteral("Protocol"));
    group->setObjectName(QStringLiteral("ProtocolGroup"));
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(24);
    m_protocols = new QButtonGroup(this);
    for (int item = 0; item < protocolItems.size(); ++item) {
        auto *button = new QRadioButton(protocolItems[item]);
        button->setObjectName(QStringLiteral("protocol%1").arg(item));
        m_protocols->addButton(button, item);
        grid->addWidget(button, item % rowsPerColumn, item / rowsPerColumn);
    }

    QDialogButtonBox *buttons = OkCancelHelpButtons(*this);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [&help] { help.showHelp(helpContext); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Choose the protocol you wish to use.")));
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDownForm::setItem(int item)
{
    // An exclusive group cannot uncheck its last button.
    m_protocols->setExclusive(false);
    for (QAbstractButton *button : m_protocols->buttons())
        button->setChecked(m_protocols->id(button) == item);
    m_protocols->setExclusive(true);
    if (QAbstractButton *chosen = m_protocols->button(item))
        chosen->setFocus();
    else
        m_protocols->button(0)->setFocus();
}

int TDownForm::item() const
{
    return m_protocols->checkedId();
}
