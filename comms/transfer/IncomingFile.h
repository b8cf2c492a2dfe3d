#pragma once

#include "comms/transfer/TransferTypes.h"

#include <QDateTime>
#include <QFile>
#include <QSet>
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
    // Keep the execute bits of the sender's file mode (otherwise dropped).
    bool keepExecute = false;
};

// A file being received. Data goes to a partial file beside the final name,
// created here and never an existing one ("<name>.part", or "<name>.N.part"
// when that name is taken), and is renamed into place only when the transfer
// of that file succeeds, so a failed or cancelled receive never leaves a file
// that looks complete. With recovery on, an existing plain "<name>.part" is
// resumed and the partial file is kept for a later resume. Within one
// transfer, no two files are stored under the same name.
class IncomingFile {
public:
    IncomingFile() = default;
    ~IncomingFile();
    IncomingFile(const IncomingFile &) = delete;
    IncomingFile &operator=(const IncomingFile &) = delete;

    // A name as the sender's bytes give it: UTF-8 when it is valid UTF-8,
    // otherwise Latin-1, so distinct 8-bit names stay distinct.
    static QString decodeRemoteName(const QByteArray &bytes);

    // The remote name made safe and placed inside the destination folder: no
    // "..", no absolute paths, no device names, no control characters, each
    // part at most maxComponentBytes bytes. Folder names are kept only when
    // honorDirectory is set.
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

    static constexpr int maxComponentBytes = 200;

private:
    int openPartial(bool append, bool recover);
    int copyTargetIntoPartial();

    QFile file_;
    IncomingOffer offer_;
    QString finalPath_;
    QString partialPath_;
    qint64 resumeOffset_ = 0;
    qint64 written_ = 0;
    bool keepPartial_ = false;
    bool keepExecute_ = false;
    bool ownsPartial_ = false; // created or resumed by this object
    QSet<QString> stored_; // final paths of the files completed so far
};
