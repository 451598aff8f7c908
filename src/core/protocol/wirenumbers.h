#pragma once

#include <QByteArray>

#include <optional>

namespace velmora {

class FieldReader;

// Checked readers for numbers that arrive over the wire. Each raises
// velmora::Error for a field that is missing, not a number or out of range,
// with a text that names the field (`what`), so a handler stops at its first
// bad field and the error box says which one it was. Quoted field texts are
// cut short: a hostile peer must not be able to fill the box.
namespace wirenumbers {

int wireNumber(const std::optional<QByteArray> &field, int lo, int hi, const char *what);
int player(FieldReader &fields);   // 1..9
int sender(FieldReader &fields);   // 0..9
int seat(FieldReader &fields);     // 1..4
int card(FieldReader &fields);     // 0..52, 0 the card back
int handSlot(FieldReader &fields); // 1..11
int pot(FieldReader &fields);      // 1..9
// The same for a number that is the message's last field and so runs to its
// end.
int lastNumber(FieldReader &fields, int lo, int hi, const char *what);

} // namespace wirenumbers
} // namespace velmora
