#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// File and data helpers shared by the tests.
namespace TestFiles {

// Replaces the file's contents; false when it cannot be written.
bool write(const QString &path, const QByteArray &bytes);
// Writes name in dir and gives its path (written or not: read() tells).
QString writeIn(const QString &dir, const QString &name, const QByteArray &bytes);
// Writes an executable script name in dir and gives its path (empty when it
// cannot be written).
QString writeScript(const QString &dir, const QString &name, const QByteArray &body);
// Writes prefix0.bin, prefix1.bin ... in dir, one per content; gives their names.
QStringList writeBatch(const QString &dir, const QString &prefix, const QList<QByteArray> &contents);
// The file's contents, or "<missing>" when it cannot be read.
QByteArray read(const QString &path);
// size pseudo-random bytes, the same for the same seed.
QByteArray randomBytes(qsizetype size, quint32 seed);
// Every byte value 0-255 in order, repeated.
QByteArray everyByteValue(int repeats);

} // namespace TestFiles
