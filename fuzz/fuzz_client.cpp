// The client's session and table fed whatever a host might send, in pieces
// of any size, with the player clicking in between. A bad message may be
// refused with an error, but the table must stay drawable: every number it
// holds is one the views can index with.

#include "fuzzsupport.h"

#include "base/error.h"
#include "cards/random.h"
#include "client/clientsession.h"
#include "client/tablemodel.h"

#include <array>

using namespace velmora;
using velmora::fuzz::borrow;

namespace {

void checkTable(const TableModel &t)
{
    std::array<bool, SeatCount + 1> shown{};
    for (int p = 1; p <= SeatCount; ++p) {
        const int seat = t.seatAt(p);
        FUZZ_CHECK(seat >= 1 && seat <= SeatCount);
        FUZZ_CHECK(!shown[seat]);
        shown[seat] = true;
        FUZZ_CHECK(t.positionOf(seat) == p);
    }
    for (int s = 1; s <= SeatCount; ++s) {
        const TableModel::SeatView &seat = t.seat(s);
        FUZZ_CHECK(seat.lastCard >= -1 && seat.lastCard <= DeckSize);
        FUZZ_CHECK(seat.chips.ones >= 0 || seat.cash < 0);
        FUZZ_CHECK(seat.chips.ones < 5 || seat.cash < 0);
    }
    // The hand is packed from the left, every card a real one.
    bool free = false;
    for (int p = 1; p <= TableModel::HandPositions; ++p) {
        const TableModel::HandPosition &h = t.hand(p);
        if (h.handSlot == -1) {
            free = true;
            continue;
        }
        FUZZ_CHECK(!free);
        FUZZ_CHECK(h.handSlot >= 1 && h.handSlot <= HandSlots);
        FUZZ_CHECK(isCard(h.card));
    }
    FUZZ_CHECK(t.handCount() >= 0 && t.handCount() <= TableModel::HandPositions);
    for (int p = 1; p <= PotCount; ++p)
        FUZZ_CHECK(t.pot(p).pile >= -1 && t.pot(p).pile <= 8);
    FUZZ_CHECK(t.tableCard() >= -1 && t.tableCard() <= DeckSize);
    FUZZ_CHECK(t.currentPlayer() >= 0 && t.currentPlayer() <= SeatCount);
    FUZZ_CHECK(t.dealer() >= 0 && t.dealer() <= SeatCount);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte sets the scene: the piece size, hosting or not, and
    // which clicks the player makes between messages.
    const int control = data[0];
    const QByteArray bytes = borrow(data + 1, size - 1);

    ClientSession session;
    session.setLoginName("Fuzzy");
    session.setHost(control & 1);
    Random random(control);
    TableModel table(random);
    table.setHosting(control & 1);
    session.setTable(&table);
    int requests = 0;
    QObject::connect(&table, &TableModel::request, [&](const QByteArray &) { ++requests; });

    const qsizetype piece = 1 + (control >> 1) % 64;
    int handled = 0;
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        if (catchError([&] { session.receive(bytes.mid(at, piece)); }))
            break; // the connection is cut
        while (session.hasQueued()) {
            catchError([&] { session.dispatchOne(); });
            checkTable(table);
            ++handled;
            // Now and then the player clicks.
            switch (((control >> 4) + handled) % 8) {
            case 3: table.sortthem(); break;
            case 5: table.playCard(handled % 13); break;
            case 7: table.answerDummy(handled & 1); break;
            case 0: table.toggleOwnJustWatch(); break;
            default: break;
            }
            checkTable(table);
        }
    }
    (void)table.loadchecklist();
    (void)table.buyCaption();
    return 0;
}
