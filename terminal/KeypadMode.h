#pragma once

#include <QString>

// The numeric and application keypad variants of an emulation type; types
// without such variants are returned unchanged.
namespace KeypadMode {

QString numericType(const QString &type);
QString applicationType(const QString &type);
bool isApplication(const QString &type);

} // namespace KeypadMode
