#include "wirenumbers.h"

#include "base/error.h"
#include "fieldreader.h"

namespace velmora::wirenumbers {

namespace {
QString quoted(const QByteArray &field)
{
    constexpr qsizetype Shown = 24;
    QString text = QString::fromLatin1(field.left(Shown));
    if (field.size() > Shown)
        text += QStringLiteral("...");
    return text;
}
} // namespace

int wireNumber(const std::optional<QByteArray> &field, int lo, int hi, const char *what)
{
    const QString name = QLatin1String(what);
    if (!field)
        throw Error(QStringLiteral("Missing %1").arg(name));
    const std::optional<int> n = FieldReader::toNumber(*field);
    if (!n)
        throw Error(QStringLiteral("'%1' is not a valid %2").arg(quoted(*field), name));
    if (*n < lo || *n > hi)
        throw Error(QStringLiteral("%1 %2 is out of range").arg(name).arg(*n));
    return *n;
}

int player(FieldReader &fields) { return wireNumber(fields.field(), 1, 9, "player number"); }
int sender(FieldReader &fields) { return wireNumber(fields.field(), 0, 9, "sender number"); }
int seat(FieldReader &fields) { return wireNumber(fields.field(), 1, 4, "seat"); }
int card(FieldReader &fields) { return wireNumber(fields.field(), 0, 52, "card code"); }
int handSlot(FieldReader &fields) { return wireNumber(fields.field(), 1, 11, "hand slot"); }
int pot(FieldReader &fields) { return wireNumber(fields.field(), 1, 9, "pot"); }

int lastNumber(FieldReader &fields, int lo, int hi, const char *what)
{
    return wireNumber(fields.rest(), lo, hi, what);
}

} // namespace velmora::wirenumbers
