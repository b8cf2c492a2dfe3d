#include "support/OnlineWindow.h"

#include <QTest>

bool OnlineWindow::start(UserPrompt &prompt)
{
    if (!pty_.start())
        return false;
    application_.setPrompt(&prompt);
    application_.start({QStringLiteral("-open"), pty_.near(), QStringLiteral("9600")});
    if (!QTest::qWaitFor([this] { return application_.state().online(); }, 20000))
        return false;
    far_.setPortName(pty_.far());
    if (!far_.open(QIODevice::ReadWrite))
        return false;
    // Whatever the connection itself sent is not the test's.
    QTest::qWait(100);
    far_.readAll();
    return true;
}

QByteArray OnlineWindow::received(qsizetype count, int timeoutMs)
{
    // Fewer bytes than asked for are the caller's to judge.
    (void)QTest::qWaitFor(
        [&] {
            atFar_ += far_.readAll();
            return atFar_.size() >= count;
        },
        timeoutMs);
    return atFar_;
}
