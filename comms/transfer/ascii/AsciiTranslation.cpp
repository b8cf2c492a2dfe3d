#include "comms/transfer/ascii/AsciiTranslation.h"

AsciiTranslator::AsciiTranslator(AsciiTranslation cr, AsciiTranslation lf)
    : stripCr_(cr == AsciiTranslation::Strip)
    , stripLf_(lf == AsciiTranslation::Strip)
    , crBeforeLf_(cr == AsciiTranslation::AddCrBefore || lf == AsciiTranslation::AddCrBefore)
    , lfAfterCr_(cr == AsciiTranslation::AddLfAfter || lf == AsciiTranslation::AddLfAfter)
{ }

void AsciiTranslator::translate(const char *bytes, qsizetype length, QByteArray *out) const
{
    out->reserve(out->size() + length);
    for (qsizetype i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            if (stripCr_)
                continue;
            out->append('\r');
            if (lfAfterCr_)
                out->append('\n');
        } else if (c == '\n') {
            if (stripLf_)
                continue;
            if (crBeforeLf_)
                out->append('\r');
            out->append('\n');
        } else {
            out->append(c);
        }
    }
}

QByteArray AsciiTranslator::translated(const QByteArray &bytes) const
{
    QByteArray out;
    translate(bytes.constData(), bytes.size(), &out);
    return out;
}
