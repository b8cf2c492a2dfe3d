#pragma once

#include <QString>

#include <functional>

// Sends one file raw over the port for SENDFILE; the window implements it with its binary send.
class ScriptFileSender {
public:
    virtual ~ScriptFileSender() = default;

    // Starts the send; done is called once when it ends, fails or is cancelled.
    virtual void send(const QString &path, std::function<void()> done) = 0;
    virtual void cancel() = 0;
};
