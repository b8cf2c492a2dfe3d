#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Replaces a file as a whole: the data goes to a temporary file beside it,
// is flushed and checked (a full disk is an error, never a shortened file),
// renamed into place, and the folder is synced so the new version survives
// a power cut. Returns an empty string on success, otherwise the system's
// reason; the old file is then untouched.
QString writeFileAtomically(const QString &path, const QByteArray &bytes);
// The same with the data written in pieces; write returns false to give up.
QString writeFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &write);

// Why a file cannot be written in the folder (read-only, no permission, no
// space left), found by trying; empty when a small file can be written.
QString folderWriteProblem(const QString &folder);
