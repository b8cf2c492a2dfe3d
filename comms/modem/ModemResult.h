#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// One result code line of a Hayes modem, verbose ("BUSY", "CONNECT 28800/ARQ")
// or numeric ("7"), read into its kind, canonical text and connect details.
struct ModemResult {
    enum class Kind { Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer, Voice };

    Kind kind = Kind::Ok;
    // The verbose text without the connect details ("CONNECT", "NO CARRIER").
    QString text;
    // Connect speed in bps, 0 when the result carried none.
    qint64 speed = 0;
    // Tags of a connect result, as the modem spelt them ("V42BIS", "LAPM").
    QStringList compression;
    QStringList errorCorrection;
    bool numeric = false;

    // Every kind but RING ends the command that was sent.
    bool isFinal() const { return kind != Kind::Ring; }

    // Nothing when the line is no result code (an echoed command, data, noise).
    static std::optional<ModemResult> parse(const QByteArray &line);
};
