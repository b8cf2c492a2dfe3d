#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The settings file: one value per line, "Name=type:payload" with the types
//   str  text; backslash escapes \\ \n \r \t and \xHH for other control characters
//   int  signed 32-bit decimal
//   bin  bytes as hexadecimal digits
// Names are matched without case and keep the spelling they were first written
// with. Blank lines, "#" comments and lines that do not parse are kept as they
// are; a value whose type or payload does not parse reads as a wrong type.
class SettingsDocument {
public:
    enum class Type { String, Integer, Binary, Unknown };

    static SettingsDocument parse(const QByteArray &bytes);
    QByteArray serialize() const;

    // The stored type of `name`, or nothing when absent.
    std::optional<Type> typeOf(const QString &name) const;
    // The value when present with that type.
    std::optional<QString> string(const QString &name) const;
    std::optional<qint32> integer(const QString &name) const;
    std::optional<QByteArray> binary(const QString &name) const;

    void setString(const QString &name, const QString &value);
    void setInteger(const QString &name, qint32 value);
    void setBinary(const QString &name, const QByteArray &value);

    static QByteArray escape(const QString &text, bool isName);
    static std::optional<QString> unescape(QByteArrayView text);

private:
    struct Line {
        QByteArray raw;
        // Set for value lines.
        std::optional<QString> name;
        QByteArray type;
        QByteArray payload;
    };
    qsizetype indexOf(const QString &name) const;
    const Line *find(const QString &name) const;
    void set(const QString &name, QByteArray type, QByteArray payload);

    QList<Line> m_lines;
};
