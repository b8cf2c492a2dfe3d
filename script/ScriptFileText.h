#pragma once

#include <QStringList>

#include <optional>

// Script files as lists of lines: UTF-8, or Latin-1 when the bytes are not valid UTF-8; lines end
// with CR, LF or CR LF.
namespace ScriptFileText {

std::optional<QStringList> read(const QString &fileName);
// Written to a temporary file and renamed into place.
bool write(const QString &fileName, const QStringList &lines);
QStringList splitLines(const QByteArray &bytes);

} // namespace ScriptFileText
