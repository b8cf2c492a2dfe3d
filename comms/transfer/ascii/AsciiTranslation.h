#pragma once

#include "comms/transfer/TransferTypes.h"

#include <QByteArray>

// The CR and LF translations of an ASCII transfer, applied byte by byte to
// what is sent and to what is received.
//
// "none" and "strip" act on the option's own character: the CR option keeps
// or drops CRs, the LF option keeps or drops LFs. The two adding choices mean
// the same under either option: "add CR before LF" puts a CR before every LF
// that is kept, "add LF after CR" puts an LF after every CR that is kept.
// Stripping acts on the input and adding on the output, so CR strip with
// "add CR before LF" turns any line ends into CR LF.
class AsciiTranslator {
public:
    AsciiTranslator(AsciiTranslation cr, AsciiTranslation lf);

    // Appends the translation of bytes to out.
    void translate(const char *bytes, qsizetype length, QByteArray *out) const;
    QByteArray translated(const QByteArray &bytes) const;

private:
    bool stripCr_;
    bool stripLf_;
    bool crBeforeLf_;
    bool lfAfterCr_;
};
