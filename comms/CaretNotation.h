#pragma once

#include <QByteArray>
#include <QString>

// Caret notation for control characters in user-edited text: ^A..^Z, ^[, ^\, ^], ^_ and ^@ stand for
// the control character (letters in either case), ^? for DEL, and two carets for one caret. A caret
// followed by anything else, or at the end, stands for itself.
namespace CaretNotation {

// Characters up to U+00FF become one byte each; others are written as UTF-8.
QByteArray decode(QStringView text);
// The inverse of decode. 0x1E has no caret spelling (^^ is a caret) and stays a raw character, as do
// bytes 0x80-0xFF, which come out as the Latin-1 characters.
QString encode(const QByteArray &bytes);
// The wider rule of script texts: a caret followed by any character c stands for the character
// (code of c upper-cased - 64) modulo 256, two carets for one caret; a caret at the end stays.
QString decodeEveryCaret(QStringView text);

} // namespace CaretNotation
