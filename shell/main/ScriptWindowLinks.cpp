#include "shell/main/ScriptWindowLinks.h"

#include "comms/ui/Terminal.h"
#include "transfer/BinarySend.h"

#include <utility>

ScriptWindowLinks::ScriptWindowLinks(
    Terminal &terminal, BinarySend &sender, std::function<bool()> appendCapture)
    : terminal_(terminal)
    , sender_(sender)
    , appendCapture_(std::move(appendCapture))
{
    connect(&sender_, &BinarySend::finished, this, [this] {
        if (done_)
            std::exchange(done_, nullptr)();
    });
}

void ScriptWindowLinks::display(const QString &text)
{
    terminal_.writeText(text.toLatin1());
}

void ScriptWindowLinks::setCapture(bool on)
{
    if (!on)
        terminal_.setCapture(CaptureFile::Mode::Off);
    else
        terminal_.setCapture(appendCapture_() ? CaptureFile::Mode::Append : CaptureFile::Mode::Overwrite);
}

void ScriptWindowLinks::setCaptureFile(const QString &path)
{
    terminal_.setCaptureFile(path);
}

void ScriptWindowLinks::clearWindow()
{
    terminal_.clearScreen();
}

void ScriptWindowLinks::clearBuffer()
{
    terminal_.clearScreenAndBuffer();
}

bool ScriptWindowLinks::isActive() const
{
    return terminal_.isActive();
}

void ScriptWindowLinks::setActive(bool active)
{
    terminal_.setActive(active);
}

void ScriptWindowLinks::send(const QString &path, std::function<void()> done)
{
    done_ = std::move(done);
    sender_.start(path);
}

void ScriptWindowLinks::cancel()
{
    sender_.cancel();
}
