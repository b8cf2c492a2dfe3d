#pragma once

#include <QString>
#include <stdexcept>

// A failed record store operation, with its code.
class StoreError : public std::runtime_error {
public:
    enum class Code {
        FieldListEmpty = 1,
        FieldTooLong = 2,
        RecordTooLarge = 3,
        CannotWrite = 4,
        RecordNotFound = 5,
        RecordExists = 6,
        DatabaseFull = 7,
        CannotRead = 8,
        InvalidName = 9,
    };

    StoreError(Code code, const QString &message)
        : std::runtime_error(message.toStdString())
        , m_code(code)
    { }
    Code code() const { return m_code; }
    QString message() const { return QString::fromStdString(what()); }

private:
    Code m_code;
};
