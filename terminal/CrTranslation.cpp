#include "terminal/CrTranslation.h"

std::optional<CrTranslation> CrTranslation::of(char typed, bool addLf, bool addCr)
{
    if (typed != '\r')
        return std::nullopt;
    if (addLf)
        return CrTranslation{QByteArrayLiteral("\r\n"), false};
    if (addCr)
        return CrTranslation{QByteArrayLiteral("\n\r"), true};
    return std::nullopt;
}
