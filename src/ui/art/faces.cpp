#include "faces.h"

#include <QFontInfo>
#include <QStringList>

namespace velmora::faces {

QFont named(const QString &family)
{
    QFont font(family);
    font.setStyleStrategy(QFont::PreferMatch);
    return font;
}

QString missing()
{
    struct Need
    {
        QString family;
        QString resolvesTo;
        const char *effect;
    };
    const Need needs[] = {
        {text(), QStringLiteral("Liberation Sans"), "the texts would look different"},
        {card(), card(), "the cards would look different"},
        {title(), title(), "the about box's title would look different"},
    };
    QStringList problems;
    for (const Need &need : needs) {
        const QFontInfo info(named(need.family));
        if (info.family() != need.resolvesTo)
            problems << QStringLiteral("%1 is not installed: %2 (\"%3\" resolves to \"%4\")")
                            .arg(need.resolvesTo, QLatin1String(need.effect), need.family,
                                 info.family());
    }
    return problems.join(QLatin1Char('\n'));
}

} // namespace velmora::faces
