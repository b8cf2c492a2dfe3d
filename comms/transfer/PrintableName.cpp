#include "comms/transfer/PrintableName.h"

QString printableName(const QString &name)
{
    QString shown;
    shown.reserve(name.size());
    for (const QChar c : name) {
        const auto category = c.category();
        if (category != QChar::Other_Control && category != QChar::Other_Format) {
            shown += c;
            continue;
        }
        const ushort code = c.unicode();
        shown += code <= 0xff ? QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'))
                              : QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
    }
    return shown;
}
