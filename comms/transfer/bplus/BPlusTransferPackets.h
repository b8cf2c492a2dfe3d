#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Bodies of the 'T' (file transfer) and 'F' (failure) packets.
namespace BPlus {

// "TD", "TU": function, data type ('A' text, 'B' binary, 'I' image), name.
struct TransferRequest {
    char function = 0;
    char dataType = 'B';
    QByteArray name;
};
QByteArray encodeTransferRequest(const TransferRequest &request);
TransferRequest decodeTransferRequest(const QByteArray &body);

// "Tr": the receiver already has `length` bytes whose CRC-16 is `crc`.
struct ResumeOffer {
    qint64 length = 0;
    quint16 crc = 0xffff;
};
QByteArray encodeResumeOffer(const ResumeOffer &offer);
// False when the body does not hold a length and a CRC.
bool decodeResumeOffer(const QByteArray &body, ResumeOffer *offer);

// "TI": what the sender knows about the file.
struct FileInfo {
    char dataType = 'B';
    qint64 length = -1;
    QDateTime modified; // invalid when unknown
};
QByteArray encodeFileInfo(const FileInfo &info, const QByteArray &name);
FileInfo decodeFileInfo(const QByteArray &body);

// Failure packet body: one code letter, then printable text.
QByteArray encodeFailure(char code, const QString &text);
// The transfer result a received failure code stands for.
int resultForFailure(char code);
// The failure code that reports one of our own results to the other side.
char failureForResult(int result);
// The printable part of a failure body, for messages.
QString failureText(const QByteArray &body);

} // namespace BPlus
