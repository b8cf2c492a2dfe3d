#pragma once

#include <QEvent>

// The messages other parts of the program and other processes post to the
// main window; each is handled after the current handler returns, in any
// state.
namespace PostedMessage {
inline constexpr uint MsgHangup = 1823;
inline constexpr uint MsgDialNext = 1828;
inline constexpr uint MsgStartup = 1829;
inline constexpr uint MsgClose = 1830;
inline constexpr uint MsgRunCommands = 1833;
inline constexpr uint MsgPrint = 1834;
inline constexpr uint MsgFreeTransferWindow = 1835;
inline constexpr uint MsgUploadDialog = 1836;
} // namespace PostedMessage

class PostedMessageEvent : public QEvent {
public:
    PostedMessageEvent(uint number, int param)
        : QEvent(eventType())
        , number_(number)
        , param_(param)
    { }
    static QEvent::Type eventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    uint number() const { return number_; }
    int param() const { return param_; }

private:
    uint number_;
    int param_;
};
