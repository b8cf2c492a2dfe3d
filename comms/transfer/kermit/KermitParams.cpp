#include "comms/transfer/kermit/KermitParams.h"

#include "comms/transfer/kermit/KermitPacket.h"

using Kermit::ctl;
using Kermit::toChar;
using Kermit::unChar;

namespace {

constexpr int capLong = 2;
constexpr int capWindows = 4;
constexpr int capAttributes = 8;
constexpr int whatFlag = 32;
constexpr int whatStreaming = 8;

bool isPrefix(char c)
{
    return (c >= 33 && c <= 62) || (c >= 96 && c <= 126);
}

} // namespace

QByteArray KermitParams::encode() const
{
    const int maxl = qBound(10, maxLength, Kermit::MaxExtendedLength);
    QByteArray out;
    out.append(toChar(qMin(maxl, 94)));
    out.append(toChar(qBound(0, timeoutSecs, 94)));
    out.append(toChar(padCount));
    out.append(ctl(padChar));
    out.append(toChar(eol));
    out.append(qctl);
    out.append(qbin);
    out.append(static_cast<char>('0' + checkType));
    out.append(rept);
    out.append(
        toChar((longPackets ? capLong : 0) | (windows ? capWindows : 0) | (attributes ? capAttributes : 0)));
    out.append(toChar(qBound(1, windowSize, 31)));
    out.append(toChar(maxl / 95));
    out.append(toChar(maxl % 95));
    out.append("0___"); // no checkpointing
    out.append(toChar(whatFlag | (streaming ? whatStreaming : 0)));
    return out;
}

KermitParams KermitParams::decode(const QByteArray &d)
{
    KermitParams p;
    const qsizetype n = d.size();
    auto field = [&](qsizetype i) { return i < n ? d[i] : ' '; };
    p.maxLength = n > 0 && unChar(d[0]) > 0 ? qMin(unChar(d[0]), 94) : 80;
    if (p.maxLength < 10)
        p.maxLength = 80;
    p.timeoutSecs = n > 1 ? qMax(0, unChar(d[1])) : 5;
    p.padCount = n > 2 ? qMax(0, unChar(d[2])) : 0;
    p.padChar = n > 3 ? ctl(d[3]) : 0;
    p.eol = n > 4 && unChar(d[4]) > 0 ? static_cast<char>(unChar(d[4])) : '\r';
    p.qctl = n > 5 && d[5] != ' ' ? d[5] : '#';
    p.qbin = n > 6 && d[6] != ' ' ? d[6] : 'N';
    p.checkType = field(7) >= '1' && field(7) <= '3' ? field(7) - '0' : 1;
    p.rept = field(8);
    qsizetype i = 9;
    int capas = 0;
    for (bool first = true; i < n; first = false) {
        const int c = unChar(d[i++]);
        if (first)
            capas = c;
        if (!(c & 1))
            break;
    }
    p.longPackets = capas & capLong;
    p.windows = capas & capWindows;
    p.attributes = capas & capAttributes;
    if (p.windows && i < n)
        p.windowSize = qBound(1, unChar(d[i]), 31);
    if (p.longPackets) {
        const int lx = i + 2 < n ? unChar(d[i + 1]) * 95 + unChar(d[i + 2]) : 0;
        p.maxLength = lx > 0 ? qMin(lx, Kermit::MaxExtendedLength) : 500;
    }
    const qsizetype what = i + 7;
    if (what < n) {
        const int w = unChar(d[what]);
        p.streaming = (w & whatFlag) && (w & whatStreaming);
    }
    return p;
}

KermitLink negotiate(const KermitParams &mine, const KermitParams &theirs)
{
    KermitLink link;
    link.sendMaxLength = qMin(mine.maxLength,
        theirs.longPackets && mine.longPackets ? theirs.maxLength : qMin(theirs.maxLength, 94));
    link.checkType = mine.checkType == theirs.checkType ? mine.checkType : 1;
    link.qctl = mine.qctl;
    link.peerQctl = theirs.qctl;
    // A prefix that is also either side's control prefix could not be told
    // apart from it.
    const auto distinct = [&](char prefix) { return prefix != mine.qctl && prefix != theirs.qctl; };
    if (isPrefix(mine.qbin) && distinct(mine.qbin) && (theirs.qbin == 'Y' || theirs.qbin == mine.qbin))
        link.qbin = mine.qbin;
    else if (isPrefix(theirs.qbin) && distinct(theirs.qbin) && (mine.qbin == 'Y' || mine.qbin == theirs.qbin))
        link.qbin = theirs.qbin;
    if (mine.rept == theirs.rept && isPrefix(mine.rept) && distinct(mine.rept) && mine.rept != link.qbin)
        link.rept = mine.rept;
    link.windowSize = mine.windows && theirs.windows ? qMin(mine.windowSize, theirs.windowSize) : 1;
    link.attributes = mine.attributes && theirs.attributes;
    link.streaming = mine.streaming && theirs.streaming;
    link.padCount = theirs.padCount;
    link.padChar = theirs.padChar;
    link.eol = theirs.eol;
    return link;
}
