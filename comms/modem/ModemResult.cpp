#include "comms/modem/ModemResult.h"

#include <QRegularExpression>

#include <array>

namespace {

using Kind = ModemResult::Kind;

struct Verbose {
    const char *text;
    Kind kind;
};

// Longest texts first, so "NO CARRIER" is not read as a prefix of another.
constexpr std::array<Verbose, 9> verboseCodes{{
    {"NO DIALTONE", Kind::NoDialtone},
    {"NO DIAL TONE", Kind::NoDialtone},
    {"NO CARRIER", Kind::NoCarrier},
    {"NO ANSWER", Kind::NoAnswer},
    {"CONNECT", Kind::Connect},
    {"ERROR", Kind::Error},
    {"VOICE", Kind::Voice},
    {"BUSY", Kind::Busy},
    {"RING", Kind::Ring},
}};

struct Numeric {
    int code;
    Kind kind;
    qint64 speed;
};

// The basic codes and the connect speeds most modems agree on.
constexpr std::array<Numeric, 12> numericCodes{{
    {0, Kind::Ok, 0},
    {1, Kind::Connect, 0},
    {2, Kind::Ring, 0},
    {3, Kind::NoCarrier, 0},
    {4, Kind::Error, 0},
    {5, Kind::Connect, 1200},
    {6, Kind::NoDialtone, 0},
    {7, Kind::Busy, 0},
    {8, Kind::NoAnswer, 0},
    {10, Kind::Connect, 2400},
    {11, Kind::Connect, 4800},
    {12, Kind::Connect, 9600},
}};

QString verboseText(Kind kind)
{
    if (kind == Kind::Ok)
        return QStringLiteral("OK");
    for (const Verbose &code : verboseCodes)
        if (code.kind == kind)
            return QString::fromLatin1(code.text);
    return {};
}

void readConnectDetails(const QString &details, ModemResult &result)
{
    static const QRegularExpression separators(QStringLiteral("[\\s/]+"));
    static const QStringList compressionTags{QStringLiteral("42BIS"), QStringLiteral("MNP5")};
    static const QStringList correctionTags{
        QStringLiteral("ARQ"), QStringLiteral("V34"), QStringLiteral("V32"), QStringLiteral("LAPM")};
    const auto matches = [](const QString &token, const QStringList &tags) {
        for (const QString &tag : tags)
            if (token.contains(tag))
                return true;
        return false;
    };
    for (const QString &token : details.split(separators, Qt::SkipEmptyParts)) {
        bool isNumber = false;
        const qint64 bps = token.toLongLong(&isNumber);
        if (isNumber && result.speed == 0 && bps > 0)
            result.speed = bps;
        else if (matches(token, compressionTags))
            result.compression << token;
        else if (matches(token, correctionTags))
            result.errorCorrection << token;
    }
}

} // namespace

std::optional<ModemResult> ModemResult::parse(const QByteArray &line)
{
    const QString text = QString::fromLatin1(line).trimmed().toUpper();
    if (text.isEmpty())
        return std::nullopt;
    ModemResult result;
    bool isNumber = false;
    const int code = text.toInt(&isNumber);
    if (isNumber) {
        for (const Numeric &numeric : numericCodes) {
            if (numeric.code == code) {
                result.kind = numeric.kind;
                result.speed = numeric.speed;
                result.text = verboseText(numeric.kind);
                result.numeric = true;
                return result;
            }
        }
        return std::nullopt;
    }
    if (text == QLatin1String("OK")) {
        result.text = text;
        return result;
    }
    for (const Verbose &verbose : verboseCodes) {
        const QLatin1String name(verbose.text);
        if (!text.startsWith(name))
            continue;
        const QString rest = text.mid(name.size());
        // Only a connect result carries details; "RINGING" or "BUSY LINE" are no results.
        if (verbose.kind != Kind::Connect && !rest.isEmpty())
            return std::nullopt;
        if (!rest.isEmpty() && !rest.front().isSpace() && rest.front() != QLatin1Char('/'))
            return std::nullopt;
        result.kind = verbose.kind;
        result.text = verboseText(verbose.kind);
        readConnectDetails(rest, result);
        return result;
    }
    return std::nullopt;
}
