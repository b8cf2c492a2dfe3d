#include "comms/line/TextMatcher.h"

TextMatcher::TextMatcher(const QByteArray &pattern, bool ignoreCase)
    : ignoreCase_(ignoreCase)
{
    pattern_.reserve(pattern.size());
    for (char c : pattern)
        pattern_.append(static_cast<char>(fold(c)));
    // Knuth-Morris-Pratt failure table.
    fail_.assign(static_cast<size_t>(pattern_.size()) + 1, 0);
    int k = 0;
    for (qsizetype i = 1; i < pattern_.size(); ++i) {
        while (k > 0 && pattern_[i] != pattern_[k])
            k = fail_[static_cast<size_t>(k)];
        if (pattern_[i] == pattern_[k])
            ++k;
        fail_[static_cast<size_t>(i) + 1] = k;
    }
}

unsigned char TextMatcher::fold(char c) const
{
    const auto byte = static_cast<unsigned char>(c);
    if (ignoreCase_ && byte >= 'A' && byte <= 'Z')
        return static_cast<unsigned char>(byte + ('a' - 'A'));
    return byte;
}

bool TextMatcher::feed(char byte)
{
    if (pattern_.isEmpty())
        return false;
    const char c = static_cast<char>(fold(byte));
    while (matched_ > 0 && pattern_[matched_] != c)
        matched_ = fail_[static_cast<size_t>(matched_)];
    if (pattern_[matched_] == c)
        ++matched_;
    if (matched_ == pattern_.size()) {
        matched_ = 0;
        return true;
    }
    return false;
}

qsizetype TextMatcher::findIn(const QByteArray &bytes, qsizetype from)
{
    for (qsizetype i = from; i < bytes.size(); ++i) {
        if (feed(bytes[i]))
            return i + 1;
    }
    return -1;
}
