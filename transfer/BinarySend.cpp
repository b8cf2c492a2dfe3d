#include "transfer/BinarySend.h"

#include "comms/line/Comport.h"
#include "shell/MainView.h"
#include "transfer/BinarySendProgress.h"

#include <QFileInfo>

BinarySend::BinarySend(Comport &port, MainView &view, WindowMaker makeWindow, QObject *parent)
    : QObject(parent)
    , port_(port)
    , view_(view)
    , makeWindow_(std::move(makeWindow))
{
    // A line that goes away while the trigger is armed would never fire it again.
    connect(&port_, &Comport::openChanged, this, [this](bool open) {
        if (!open && sending_)
            cancel();
    });
}

BinarySend::~BinarySend()
{
    if (sending_)
        release();
}

void BinarySend::start(const QString &path)
{
    if (sending_) {
        view_.DisplayTerm(tr("A binary send is already running."));
        return;
    }
    dropWindow();
    window_ = makeWindow_();
    if (!port_.isOpen())
        return;
    handler_ = port_.events().statusTrigger.attach(
        HandlerStage::Window, [this](int handle) { return onTrigger(handle); });
    sending_ = true;
    cancelled_ = false;
    sent_ = 0;
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        fail(file_.errorString());
        return;
    }
    size_ = file_.size();
    window_->showFile(QFileInfo(path).fileName(), size_);
    trigger_ = port_.addStatusTrigger(StatusTriggerType::OutputFree);
    if (!trigger_ || !port_.setStatusTrigger(trigger_, freeWanted, true))
        fail(port_.lastError());
}

void BinarySend::cancel()
{
    if (!sending_) {
        // The window of a send that never started (the port was closed).
        dropWindow();
        return;
    }
    if (cancelled_)
        return;
    cancelled_ = true;
    dropWindow();
    if (port_.isOpen()) {
        // The trigger fires once the flushed buffer is empty and ends the send.
        port_.flushOutBuffer();
        return;
    }
    release();
    emit finished();
}

bool BinarySend::onTrigger(int handle)
{
    if (handle == 0 || handle != trigger_)
        return false;
    if (cancelled_) {
        release();
        emit finished();
    } else {
        sendNextBlock();
    }
    return true;
}

// The count shown is what has been queued on the port, this block included,
// so the last block brings the window to 100%.
void BinarySend::sendNextBlock()
{
    if (sent_ >= size_) {
        release();
        dropWindow();
        emit finished();
        return;
    }
    if (!port_.isOpen()) {
        cancel();
        return;
    }
    const QByteArray block = file_.read(qMin(blockSize, size_ - sent_));
    if (block.isEmpty()) {
        // An error, or a file that shrank while it was being sent.
        fail(block.isNull() && file_.error() != QFileDevice::NoError ? file_.errorString()
                                                                     : tr("the file ended early"));
        return;
    }
    if (!port_.putBlock(block)) {
        fail(port_.lastError());
        return;
    }
    sent_ += block.size();
    const int percent = qRound(100.0 * double(sent_) / double(size_));
    if (window_)
        window_->showProgress(sent_, size_ - sent_, percent);
    view_.setCaption(QString::number(percent) + tr("% complete"));
    port_.setStatusTrigger(trigger_, freeWanted, true);
}

void BinarySend::release()
{
    if (trigger_)
        port_.removeTrigger(trigger_);
    trigger_ = 0;
    handler_.reset();
    file_.close();
    sending_ = false;
}

void BinarySend::fail(const QString &reason)
{
    view_.DisplayTerm(tr("Binary send of %1 failed: %2").arg(QFileInfo(file_.fileName()).fileName(), reason));
    release();
    dropWindow();
    emit finished();
}

void BinarySend::dropWindow()
{
    if (!window_)
        return;
    BinarySendProgress *window = std::exchange(window_, nullptr);
    emit windowDone(window);
}
