#include "comms/terminal/CaptureFile.h"

bool CaptureFile::setMode(Mode mode, QString *error)
{
    file_.close();
    mode_ = Off;
    if (mode == Off)
        return true;
    file_.setFileName(fileName_);
    const QIODevice::OpenMode how
        = mode == Append ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!file_.open(how)) {
        *error = QStringLiteral("Cannot open capture file %1: %2").arg(fileName_, file_.errorString());
        return false;
    }
    mode_ = mode;
    return true;
}

bool CaptureFile::write(const QByteArray &bytes, QString *error)
{
    if (mode_ == Off || bytes.isEmpty())
        return true;
    if (file_.write(bytes) != bytes.size() || !file_.flush()) {
        *error = QStringLiteral("Capture to %1 stopped: %2").arg(fileName_, file_.errorString());
        file_.close();
        mode_ = Off;
        return false;
    }
    return true;
}
