#include "cmdline/AliasList.h"

#include <QFile>

void AliasList::load(const QString &path)
{
    lines_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const QString text = QString::fromLocal8Bit(file.readAll());
    lines_ = text.split(QLatin1Char('\n'));
    // A final line end is not an empty alias line.
    if (!lines_.isEmpty() && lines_.last().isEmpty())
        lines_.removeLast();
    for (QString &line : lines_) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
}

QStringList AliasList::ExpandAlias(const QString &word) const
{
    QStringList expansions;
    for (const QString &line : lines_) {
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        if (blank < 0)
            continue;
        if (QStringView(line).left(blank).compare(word, Qt::CaseInsensitive) == 0)
            expansions << line.mid(blank + 1);
    }
    return expansions;
}
