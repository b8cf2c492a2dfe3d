#pragma once

#include <QStringList>

// Aliases: lines of "alias.ini", each an alias name (with its leading
// slash), one blank and the expansion. Several lines may share a name.
class AliasList {
public:
    // The file's lines; a missing or unreadable file gives an empty list.
    void load(const QString &path);
    void setLines(const QStringList &lines) { lines_ = lines; }
    QStringList lines() const { return lines_; }

    // Every expansion of word (names compared without case), in file order.
    QStringList ExpandAlias(const QString &word) const;

private:
    QStringList lines_;
};
