#pragma once

#include <QDateTime>
#include <QString>

// Protocol numbers as stored in phonebook entries and settings.
enum class ProtocolType {
    None = 0,
    Xmodem = 1,
    XmodemCrc = 2,
    Xmodem1K = 3,
    Xmodem1KG = 4,
    Ymodem = 5,
    YmodemG = 6,
    Zmodem = 7,
    Kermit = 8,
    Ascii = 9,
    BPlus = 10,
};

bool isBatchProtocol(ProtocolType type);
// The short name used by tools and logs ("zmodem", "xmodem-1k" ...).
QString protocolName(ProtocolType type);
// The name users see in lists and windows ("Xmodem CRC", "YmodemG", "Ascii" ...).
QString protocolDisplayName(ProtocolType type);
// Accepts a name as protocolName() gives it or a protocol number; false if unknown.
bool parseProtocolName(const QString &text, ProtocolType *type);

// Result codes of a transfer; 0 is success. The finish event carries one.
namespace TransferResult {
enum Code {
    Success = 0,
    CancelledLocally = 1,
    CancelledByRemote = 2,
    TimedOut = 3,
    TooManyErrors = 4,
    FileNotFound = 5,
    CannotCreate = 6,
    CannotWrite = 7,
    DiskFull = 8,
    CarrierLost = 9,
    Skipped = 10,
    ProtocolError = 11,
    FileRejected = 12,
    NotReady = 13,
};
}

QString transferResultText(int code);

// Receive-side handling of a file name that already exists (not Zmodem).
enum class WriteFailAction { None = 0, Reject = 1, Rename = 2, Overwrite = 3 };

// Zmodem file management, numbered as on the wire (ZF1).
enum class ZmodemFileOption {
    None = 0,
    NewerOrLonger = 1,
    CrcDifferent = 2,
    Append = 3,
    Overwrite = 4,
    Newer = 5,
    Different = 6,
    Protect = 7,
};

// ASCII line-end translations, for CR and for LF alike.
enum class AsciiTranslation { None = 0, Strip = 1, AddCrBefore = 2, AddLfAfter = 3 };

// Everything a transfer can be told; defaults are the engine's own.
struct ProtocolOptions {
    bool honorDirectory = false;
    bool includeDirectory = false;
    // Received files keep the execute bits of the sender's file mode.
    bool keepRemoteExecute = false;
    bool rtsLowForWrite = false;
    bool abortNoCarrier = false;
    WriteFailAction writeFailAction = WriteFailAction::Overwrite;

    bool zmodemOptionOverride = false;
    bool zmodemSkipNoFile = false;
    bool zmodemRecover = false;
    bool zmodem8K = false;
    ZmodemFileOption zmodemFileOption = ZmodemFileOption::Overwrite;
    bool zmodemCrc32 = true;

    // Xmodem carries no file length: trailing SUB (0x1A) bytes of the last
    // block are kept unless this asks for them to be taken as padding.
    bool xmodemStripPadding = false;

    int kermitMaxLen = 80;
    int kermitMaxWindows = 0;
    int kermitTimeoutSecs = 5;
    int kermitPadChar = 0;
    // Offer streaming (no ACKs for data) to a peer that can stream.
    bool kermitStreaming = true;

    int asciiCharDelayMs = 0;
    int asciiLineDelayMs = 0;
    AsciiTranslation asciiCr = AsciiTranslation::None;
    AsciiTranslation asciiLf = AsciiTranslation::None;
    int asciiEofTimeoutTicks = 364;

    // B+: act as the host (the side that starts the session and names the
    // file) instead of the terminal; used by tools and tests.
    bool bplusHost = false;

    int handshakeWaitTicks = 1092;
    int statusIntervalTicks = 10;
};

// What the status window shows; engines keep it current.
struct TransferStatus {
    bool sending = false;
    QString fileName; // name as sent or received
    qint64 fileSize = -1; // -1 when unknown
    qint64 bytesDone = 0; // of the current file
    qint64 bytesPerSecond = 0;
    int errorCount = 0;
    int blockSize = 0;
    QString lastError; // last recoverable problem, for the window
};

// One file's outcome, for the history log.
struct FileOutcome {
    bool sending = false;
    QString fileName; // as sent or received
    QString storedName; // received: where it was stored, relative to the folder
    qint64 size = 0;
    qint64 bytesTransferred = 0;
    qint64 bytesPerSecond = 0;
    int result = TransferResult::Success;
};
