#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Capture of a session: the bytes the terminal receives, exactly as they arrive, written to a file
// that is started new (overwrite) or added to (append).
class CaptureFile {
public:
    enum Mode { Off = 0, Overwrite = 1, Append = 2 };

    void setFileName(const QString &name) { fileName_ = name; }
    QString fileName() const { return fileName_; }

    // Opens the file for the mode (closing any capture running); Off stops. On failure capture is off
    // and error holds the reason.
    bool setMode(Mode mode, QString *error);
    Mode mode() const { return mode_; }

    // Writes and flushes; on a write failure capture stops and error holds the reason.
    bool write(const QByteArray &bytes, QString *error);

private:
    QString fileName_ = QStringLiteral("Session.cap");
    QFile file_;
    Mode mode_ = Off;
};
