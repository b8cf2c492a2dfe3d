// "Send pure binary" and "Receive pure binary": the menu entries, the
// progress windows and the message that frees them.
#include "shell/main/Application.h"

#include "shell/main/PostedMessage.h"

#include <QAction>
#include <QFileInfo>

void Application::wireBinaryTransfers()
{
    binarySend_ = std::make_unique<BinarySend>(port_, window_, [this]() -> BinarySendProgress * {
        auto window = std::make_unique<TFiTrans>(&window_);
        connect(window.get(), &TFiTrans::cancelClicked, binarySend_.get(), &BinarySend::cancel);
        window->showCentred();
        const int id = ++lastTransferWindow_;
        return (transferWindows_[id] = std::move(window)).get();
    });
    connect(binarySend_.get(), &BinarySend::windowDone, this, [this](BinarySendProgress *done) {
        for (const auto &[id, window] : transferWindows_) {
            if (window.get() == done)
                postMessage(PostedMessage::MsgFreeTransferWindow, id);
        }
    });
    QAction *send = window_.entry(QStringLiteral("Sendpurebinary1"));
    send->setEnabled(true);
    connect(send, &QAction::triggered, this, [this] {
        const QStringList picked = prompt_->chooseFiles(
            {FileRequest::Mode::Open, QString(), directories_.upload, QStringLiteral("All Files (*)")});
        if (picked.isEmpty())
            return;
        binarySend_->start(picked.first());
        directories_.upload = QFileInfo(picked.first()).absolutePath() + QLatin1Char('/');
    });

    binaryReceive_ = std::make_unique<BinaryReceive>(port_, window_);
    QAction *receive = window_.entry(QStringLiteral("Receivepurebinary1"));
    receive->setEnabled(true);
    receive->setCheckable(true);
    connect(binaryReceive_.get(), &BinaryReceive::receivingChanged, receive, &QAction::setChecked);
    connect(receive, &QAction::triggered, this, [this, receive] {
        if (binaryReceive_->isReceiving()) {
            binaryReceive_->end();
            return;
        }
        receive->setChecked(false);
        const QStringList picked = prompt_->chooseFiles(
            {FileRequest::Mode::Save, QString(), directories_.download, QStringLiteral("All Files (*)")});
        if (picked.isEmpty())
            return;
        QString path = picked.first();
        // The dialog's default extension: a name given without one gets ".bin".
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".bin");
        binaryReceive_->begin(path);
    });
}

// Frees a binary send's progress window; one already freed is ignored.
void Application::freeTransferWindow(int id)
{
    transferWindows_.erase(id);
}
