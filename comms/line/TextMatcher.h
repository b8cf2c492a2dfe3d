#pragma once

#include <QByteArray>

#include <vector>

// Finds a byte string in a stream that arrives in pieces, optionally without
// regard to letter case (ASCII letters). Matches may span pieces; matches
// do not overlap.
class TextMatcher {
public:
    TextMatcher() = default;
    TextMatcher(const QByteArray &pattern, bool ignoreCase);

    const QByteArray &pattern() const { return pattern_; }
    bool ignoresCase() const { return ignoreCase_; }

    // Feeds the next byte; true when it completes a match.
    bool feed(char byte);
    // Offset just past the first match in bytes, or -1. Consumes up to there.
    qsizetype findIn(const QByteArray &bytes, qsizetype from = 0);
    void reset() { matched_ = 0; }

private:
    unsigned char fold(char c) const;

    QByteArray pattern_;
    bool ignoreCase_ = false;
    std::vector<int> fail_;
    int matched_ = 0;
};
