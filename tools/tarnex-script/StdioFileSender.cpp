#include "StdioFileSender.h"

#include "transfer/BinarySend.h"

#include <cstdio>
#include <utility>

StdioFileSender::StdioFileSender(Comport &port)
    : sender_(std::make_unique<BinarySend>(
        port, static_cast<MainView &>(*this), [this]() -> BinarySendProgress * { return this; }))
{
    QObject::connect(sender_.get(), &BinarySend::finished, [this] {
        if (done_)
            std::exchange(done_, nullptr)();
    });
}

StdioFileSender::~StdioFileSender() = default;

void StdioFileSender::send(const QString &path, std::function<void()> done)
{
    done_ = std::move(done);
    sender_->start(path);
}

void StdioFileSender::cancel()
{
    sender_->cancel();
}

void StdioFileSender::DisplayTerm(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
