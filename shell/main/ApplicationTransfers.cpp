// The Transfer menu, Esc and "Cancel Transfer", drops, the host's B+ start
// and the engine's status window.
#include "shell/main/Application.h"

#include "comms/transfer/bplus/BPlusTrigger.h"
#include "comms/ui/Terminal.h"
#include "shell/main/PostedMessage.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

void Application::wireTransfers()
{
    TransferController *transfers = transfers_.get();
    const auto entry = [this](const char *name) {
        QAction *action = window_.entry(QString::fromLatin1(name));
        action->setEnabled(true);
        return action;
    };
    connect(entry("Send1"), &QAction::triggered, this,
        [this] { postMessage(PostedMessage::MsgUploadDialog, 0); });
    connect(entry("Recieve1"), &QAction::triggered, transfers, &TransferController::Recieve1Click);
    connect(entry("Viewdownloaddir1"), &QAction::triggered, transfers, &TransferController::ViewDownloadDir);
    connect(entry("Viewuploaddir1"), &QAction::triggered, transfers, &TransferController::ViewUploadDir);
    connect(window_.menu(QStringLiteral("TransMenu1")), &QMenu::aboutToShow, this, [this] {
        for (const char *name : {"Send1", "Recieve1", "Sendpurebinary1"})
            window_.entry(QString::fromLatin1(name))->setEnabled(port_.isOpen());
    });
    QAction *cancelEntry = window_.entry(QStringLiteral("CancelTransfer1"));
    connect(cancelEntry, &QAction::triggered, transfers, &TransferController::cancelByUser);
    connect(window_.menu(QStringLiteral("TermPop")), &QMenu::aboutToShow, this,
        [this, cancelEntry] { cancelEntry->setEnabled(transfers_->isTransferring()); });
    keyboard_.hotKeys().add(
        Qt::Key_Escape, Qt::NoModifier, HotKeys::Phase::Press, [this](QWidget *, const QKeyEvent &) {
            if (!transfers_->isTransferring())
                return false;
            transfers_->cancelByUser();
            return true;
        });

    window_.setAcceptDrops(true);
    connect(&window_, &TMainform::filesDropped, transfers, &TransferController::filesDropped);
    connect(window_.terminal(), &Terminal::bPlusStarted, transfers,
        [transfers](char trigger, const QByteArray &following) {
            transfers->bPlusStarted(BPlus::triggerBytes(trigger) + following);
        });

    resetProtocolStatus();
    connect(transfers, &TransferController::transferStarted, this, [this] {
        protocolStatus_->attach(&engine_);
        QWidget *focus = QApplication::focusWidget();
        protocolStatus_->show();
        // Esc keeps cancelling from the main window.
        if (focus && focus->window() == &window_) {
            window_.activateWindow();
            focus->setFocus();
        }
    });
    connect(transfers, &TransferController::statusWindowReset, this, &Application::resetProtocolStatus);
}

// A fresh status window for the next transfer, in the form the user chose.
void Application::resetProtocolStatus()
{
    const bool brief = protocolStatus_ && protocolStatus_->isBrief();
    protocolStatus_ = std::make_unique<ProtocolStatusWindow>(&window_);
    // Esc and typing stay with the main window while it shows.
    protocolStatus_->setAttribute(Qt::WA_ShowWithoutActivating);
    protocolStatus_->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    protocolStatus_->setBrief(brief);
}
