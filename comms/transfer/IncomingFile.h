#pragma once

#include "comms/transfer/TransferTypes.h"

#include <QDateTime>
#include <QFile>
#include <QString>

// What the sender tells us about a file it offers.
struct IncomingOffer {
    QString remoteName;
    qint64 size = -1; // -1 when unknown
    QDateTime modified; // invalid when unknown
    int mode = -1; // Unix permission bits when known
};

// How a receiver treats the names and files it is offered.
struct ReceivePolicy {
    QString destinationDir;
    bool honorDirectory = false;
    WriteFailAction writeFailAction = WriteFailAction::Overwrite;
    // Zmodem applies its own file management instead of the write-fail action.
    bool zmodemManagement = false;
    ZmodemFileOption zmodemOption = ZmodemFileOption::Overwrite;
    bool skipNoFile = false;
    // Keep interrupted data and resume it when the same file is offered again.
    bool recover = false;
};

// A file being received. Data goes to "<name>.part" beside the final name and
// is renamed into place only when the transfer of that file succeeds, so a
// failed or cancelled receive never leaves a file that looks complete. With
// recovery on, the ".part" file is kept for a later resume.
class IncomingFile {
public:
    IncomingFile() = default;
    ~IncomingFile();
    IncomingFile(const IncomingFile &) = delete;
    IncomingFile &operator=(const IncomingFile &) = delete;

    // The remote name made safe and placed inside the destination folder: no
    // "..", no absolute paths, no device names, no control characters. Folder
    // names are kept only when honorDirectory is set.
    static QString confinedPath(
        const QString &destinationDir, const QString &remoteName, bool honorDirectory);

    // The existing local file an offer would collide with, or empty.
    static QString existingTarget(const ReceivePolicy &policy, const IncomingOffer &offer);

    // Decides what to do with the offer and opens the file for writing.
    // crcDiffers answers the Zmodem "CRC different" option (engines that can
    // compare CRCs pass the result; true otherwise). Returns Success, or the
    // Skipped / FileRejected / CannotCreate code.
    int open(const ReceivePolicy &policy, const IncomingOffer &offer, bool crcDiffers = true);

    bool isOpen() const { return file_.isOpen(); }
    // Bytes already present (resumed partial or appended file): the sender
    // starts at this offset.
    qint64 resumeOffset() const { return resumeOffset_; }
    qint64 bytesWritten() const { return written_; }
    QString finalPath() const { return finalPath_; }
    QString partialPath() const { return partialPath_; }

    // Returns Success, CannotWrite or DiskFull.
    int write(const char *data, qint64 length);
    int write(const QByteArray &data) { return write(data.constData(), data.size()); }

    // Throws away what the file holds so far (a resume the sender refused)
    // and starts it again from the first byte. Returns Success or CannotWrite.
    int restart();

    // Completes the file: cuts it to truncateTo bytes when given (>= 0), sets
    // the time and mode from the offer and renames it into place.
    int finish(qint64 truncateTo = -1);
    // Ends a failed or cancelled file: the partial data is removed unless
    // recovery is on.
    void abandon();

private:
    QFile file_;
    IncomingOffer offer_;
    QString finalPath_;
    QString partialPath_;
    qint64 resumeOffset_ = 0;
    qint64 written_ = 0;
    bool keepPartial_ = false;
};
