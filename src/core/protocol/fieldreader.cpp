#include "fieldreader.h"

namespace velmora {

std::optional<QByteArray> FieldReader::field()
{
    const auto plus = m_text.indexOf('+', m_pos);
    if (plus < 0)
        return std::nullopt;
    QByteArray f = m_text.mid(m_pos, plus - m_pos);
    m_pos = plus + 1;
    return f;
}

std::optional<int> FieldReader::toNumber(const QByteArray &text)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative)
        i = 1;
    const auto digits = text.size() - i;
    if (digits < 1 || digits > 9)
        return std::nullopt;
    int value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::optional<int> FieldReader::number()
{
    const auto f = field();
    if (!f)
        return std::nullopt;
    return toNumber(*f);
}

std::optional<int> FieldReader::number(int lo, int hi)
{
    const auto n = number();
    if (!n || *n < lo || *n > hi)
        return std::nullopt;
    return n;
}

std::optional<int> FieldReader::numberOrLast(int lo, int hi)
{
    if (m_text.indexOf('+', m_pos) >= 0)
        return number(lo, hi);
    const auto n = toNumber(rest());
    if (!n || *n < lo || *n > hi)
        return std::nullopt;
    return n;
}

QByteArray FieldReader::rest()
{
    QByteArray r = m_text.mid(m_pos);
    m_pos = m_text.size();
    return r;
}

std::optional<QList<QByteArray>> splitFromRight(const QByteArray &rest, int count)
{
    QByteArray body = rest;
    if (body.endsWith('+'))
        body.chop(1);
    QList<QByteArray> fields;
    for (int i = 0; i < count; ++i) {
        const auto plus = body.lastIndexOf('+');
        if (plus < 0)
            return std::nullopt;
        fields.prepend(body.mid(plus + 1));
        body.truncate(plus);
    }
    fields.prepend(body);
    return fields;
}

std::optional<Hand> readCardList(const QByteArray &rest)
{
    Hand hand{};
    if (rest.isEmpty())
        return hand;
    // The list is "+slot+card+slot+card" after the player number's own
    // field; here it arrives without its leading "+", so append one to read
    // every pair with the same field rule.
    FieldReader reader(rest + '+');
    while (!reader.atEnd()) {
        const auto slot = reader.number(1, 11);
        const auto card = reader.number(1, 52);
        if (!slot || !card)
            return std::nullopt;
        inSlot(hand, *slot) = *card;
    }
    return hand;
}

} // namespace velmora
