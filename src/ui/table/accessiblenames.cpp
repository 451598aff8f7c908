#include "accessiblenames.h"

#include "cards/card.h"
#include "cards/pots.h"

namespace velmora::spoken {

namespace {
QString counted(int n, const char *one, const char *many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 || n == -1 ? one : many);
}
} // namespace

QString seat(const TableModel::SeatView &s)
{
    QStringList parts{s.caption, counted(s.cash, "dollar", "dollars")};
    bool ok = false;
    const int left = s.leftText.toInt(&ok);
    if (ok)
        parts << counted(left, "card", "cards");
    if (s.dealer)
        parts << QStringLiteral("dealer");
    if (s.turn)
        parts << QStringLiteral("to play");
    if (s.eyes)
        parts << QStringLiteral("just watching");
    return parts.join(QStringLiteral(", "));
}

QString card(int code) { return QLatin1String(cardFullName(code)); }

QString handCard(int code, bool playable)
{
    QString text = QStringLiteral("Hand: ") + card(code);
    if (playable)
        text += QStringLiteral(", playable");
    return text;
}

QString emptyHand() { return QStringLiteral("Hand: empty"); }

QString pot(int pot, const TableModel::PotView &view)
{
    QString name = QLatin1String(potName(pot));
    if (name.isEmpty())
        name = QStringLiteral("Kitty");
    QString text = QStringLiteral("Pot: ") + name;
    if (view.money >= 0)
        text += QStringLiteral(", ") + counted(view.money, "dollar", "dollars");
    return text;
}

} // namespace velmora::spoken
