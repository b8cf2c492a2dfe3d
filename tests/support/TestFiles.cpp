#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace TestFiles {

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString writeIn(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    write(path, bytes);
    return path;
}

QString writeScript(const QString &dir, const QString &name, const QByteArray &body)
{
    const QString path = QDir(dir).filePath(name);
    if (!write(path, body))
        return QString();
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

QStringList writeBatch(const QString &dir, const QString &prefix, const QList<QByteArray> &contents)
{
    QStringList names;
    for (const QByteArray &content : contents) {
        names << QStringLiteral("%1%2.bin").arg(prefix).arg(names.size());
        writeIn(dir, names.last(), content);
    }
    return names;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(generator.bounded(256));
    return data;
}

QByteArray everyByteValue(int repeats)
{
    QByteArray bytes;
    for (int r = 0; r < repeats; ++r)
        for (int v = 0; v < 256; ++v)
            bytes.append(char(v));
    return bytes;
}

} // namespace TestFiles
