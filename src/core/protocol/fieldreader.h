#pragma once

#include "cards/hand.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <optional>

namespace velmora {

// Reads the "+"-separated fields of a message (the part after the command
// word), left to right. Every read returns nullopt when the field is missing
// or malformed, so a handler can check the whole message before acting.
class FieldReader
{
public:
    explicit FieldReader(QByteArray text) : m_text(std::move(text)) {}

    // The next field up to the next "+". Missing when no "+" follows.
    std::optional<QByteArray> field();

    // The next field as a decimal integer: digits with an optional leading
    // "-", at most nine digits. Anything else is malformed.
    std::optional<int> number();

    // The next field as a number within [lo, hi].
    std::optional<int> number(int lo, int hi);

    // A number that may be the last field: it runs to the next "+" or, when
    // none follows, to the end (a player number before an empty card list).
    std::optional<int> numberOrLast(int lo, int hi);

    // Everything not read yet: the last field of a message without a
    // closing "+", which may itself contain "+".
    QByteArray rest();

    bool atEnd() const { return m_pos >= m_text.size(); }

    static std::optional<int> toNumber(const QByteArray &text);

private:
    QByteArray m_text;
    qsizetype m_pos = 0;
};

// Reads a message whose first field may hold "+" (the game start's
// starter's name) from the right: the last `count` fields, each ended by
// "+", and before them everything else as the first field. Returns the first
// field followed by the `count` others, or nullopt when fewer fields came.
std::optional<QList<QByteArray>> splitFromRight(const QByteArray &rest, int count);

// A hand as a card list reads it back: hand slot -> card code, 0 = empty.

// Reads a card list ("+slot+card" pairs with no closing "+") from what
// follows the player number. Rejects slots outside 1..11, cards outside
// 1..52 and a dangling half pair.
std::optional<Hand> readCardList(const QByteArray &rest);

} // namespace velmora
