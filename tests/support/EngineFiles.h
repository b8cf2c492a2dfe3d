#pragma once

#include "comms/transfer/ProtocolEngine.h"

#include <QStringList>

#include <functional>

// The engine sends the files of the list in order, then no more.
inline void sendInOrder(ProtocolEngine &engine, QStringList &files)
{
    engine.events().nextFile.add(HandlerStage::Window, [&files](QString &path) {
        path = files.isEmpty() ? QString() : files.takeFirst();
        return true;
    });
}

// The engine receives only the files the test accepts.
inline void acceptWhen(ProtocolEngine &engine, std::function<bool(const QString &)> wanted)
{
    engine.events().accept.add(HandlerStage::Window, [wanted](const QString &path, bool &ok) {
        ok = wanted(path);
        return true;
    });
}
