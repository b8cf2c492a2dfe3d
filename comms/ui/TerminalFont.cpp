#include "comms/ui/TerminalFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <QtMath>

static void registerFontResource()
{
    Q_INIT_RESOURCE(fonts);
}

namespace TerminalFont {

namespace {

// Family name of the bundled font, or the system's "DejaVu Sans Mono" if it cannot be loaded.
QString bundledFamily()
{
    static const QString family = [] {
        registerFontResource();
        QString name;
        for (const char *file : {":/fonts/DejaVuSansMono.ttf", ":/fonts/DejaVuSansMono-Bold.ttf"}) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            if (id >= 0 && name.isEmpty())
                name = QFontDatabase::applicationFontFamilies(id).value(0);
        }
        return name.isEmpty() ? QStringLiteral("DejaVu Sans Mono") : name;
    }();
    return family;
}

} // namespace

QFont initial()
{
    QFont font(QStringLiteral("Terminal"));
    font.setPixelSize(12);
    return resolve(font);
}

QFont resolve(const QFont &requested)
{
    QFont font = requested;
    if (requested.family().compare(QStringLiteral("Terminal"), Qt::CaseInsensitive) == 0
        || requested.family().compare(bundledFamily(), Qt::CaseInsensitive) == 0)
        font.setFamilies({bundledFamily()});
    font.setStyleHint(QFont::TypeWriter, QFont::PreferDefault);
    font.setFixedPitch(true);
    font.setKerning(false);
    // Glyphs advance by exactly one whole-pixel cell, so runs of text stay on the grid.
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    font.setLetterSpacing(QFont::AbsoluteSpacing, qMax<qreal>(1, qRound(advance)) - advance);
    return font;
}

QSize cellSize(const QFont &font)
{
    const QFontMetricsF metrics(font);
    return {qMax(1, qRound(metrics.horizontalAdvance(QLatin1Char('M')))), qMax(1, qCeil(metrics.height()))};
}

} // namespace TerminalFont
