#include "script/ScriptWildcard.h"

namespace {

bool sameChar(QChar a, QChar b, Qt::CaseSensitivity cs)
{
    return cs == Qt::CaseSensitive ? a == b : a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool wildcardMatches(const QString &pattern, const QString &name, Qt::CaseSensitivity cs)
{
    if (pattern == QLatin1String("*.*"))
        return true;
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size()
            && (pattern[p] == QLatin1Char('?') || sameChar(pattern[p], name[n], cs))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}
