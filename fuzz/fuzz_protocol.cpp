// One peer's byte stream as it arrives on a socket: cut into messages by the
// framer, taken apart by the field reader and the checked number readers,
// and handed to every message handler of both sides (the host's request
// handlers and the client's session and table). Nothing may crash, and the
// readers must agree with the writers.

#include "base/version.h"
#include "fuzzsupport.h"

#include "../tests/support/enginerecorder.h"

#include "base/error.h"
#include "cards/random.h"
#include "client/clientsession.h"
#include "client/tablemodel.h"
#include "host/hostengine.h"
#include "protocol/colourtext.h"
#include "protocol/command.h"
#include "protocol/fieldreader.h"
#include "protocol/framer.h"
#include "protocol/wirenumbers.h"

using namespace velmora;
using velmora::fuzz::borrow;

namespace {

// Keeps nothing; checks every message and close the engine asks for.
struct CheckedOutput : EngineRecorder
{
    CheckedOutput() : EngineRecorder(NoSlot) {}
    void send(int slot, const QByteArray &message) override
    {
        FUZZ_CHECK(slot >= 1 && slot <= HostEngine::TurnedAwaySlot);
        FUZZ_CHECK(message.endsWith(Framer::Terminator));
        FUZZ_CHECK(message.count(Framer::Terminator) == 1);
    }
    void closeSlot(int slot) override
    {
        FUZZ_CHECK(slot >= 1 && slot <= HostEngine::TurnedAwaySlot);
    }
};

void readFields(const QByteArray &rest)
{
    // Every reader on the same text, each from the start.
    {
        FieldReader reader(rest);
        while (const auto f = reader.field()) {
            FUZZ_CHECK(!f->contains('+'));
            if (const auto n = FieldReader::toNumber(*f)) {
                FUZZ_CHECK(*n >= -999999999 && *n <= 999999999);
                FUZZ_CHECK(FieldReader::toNumber(QByteArray::number(*n)) == *n);
            }
        }
        FUZZ_CHECK(!reader.rest().contains('+'));
        FUZZ_CHECK(reader.atEnd());
    }
    {
        FieldReader reader(rest);
        if (const auto n = reader.numberOrLast(1, 4))
            FUZZ_CHECK(*n >= 1 && *n <= 4);
        if (const auto cards = readCardList(reader.rest())) {
            for (int slot = 1; slot <= 11; ++slot)
                FUZZ_CHECK(inSlot(*cards, slot) >= 0 && inSlot(*cards, slot) <= 52);
        }
    }
    if (const auto parts = splitFromRight(rest, 3))
        FUZZ_CHECK(parts->size() == 4);

    using Reader = int (*)(FieldReader &);
    static constexpr Reader readers[] = {&wirenumbers::player,   &wirenumbers::sender,
                                         &wirenumbers::seat,     &wirenumbers::card,
                                         &wirenumbers::handSlot, &wirenumbers::pot};
    FieldReader reader(rest);
    // Each reader once, starting at a different one for each text: an error
    // is costly under the sanitizers, so not every reader on every field.
    const std::size_t first = std::size_t(rest.size()) % std::size(readers);
    for (std::size_t i = 0; i < 3; ++i) {
        try {
            readers[(first + i) % std::size(readers)](reader);
        } catch (const Error &) {
        }
    }
    try {
        wirenumbers::lastNumber(reader, -5, 5, "last");
    } catch (const Error &) {
    }

    const qsizetype bar = rest.indexOf('|');
    if (const auto colour = colourFromText(bar < 0 ? rest : rest.mid(bar + 1)))
        FUZZ_CHECK(colourFromText(colourToText(*colour)) == colour);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = borrow(data, size);

    // Framing: in one piece and in small pieces, the same messages.
    QList<QByteArray> whole;
    Framer framer;
    FUZZ_CHECK(framer.feed(bytes, whole));
    FUZZ_CHECK(framer.pending() == bytes.size() - (bytes.lastIndexOf(Framer::Terminator) + 1));
    QList<QByteArray> pieces;
    Framer pieceFramer;
    const qsizetype step = size ? 1 + data[0] % 7 : 1;
    for (qsizetype at = 0; at < bytes.size(); at += step)
        FUZZ_CHECK(pieceFramer.feed(bytes.mid(at, step), pieces));
    FUZZ_CHECK(pieces == whole);
    // A small limit: an overflow loses only the unfinished rest.
    Framer tight(8);
    QList<QByteArray> tightOut;
    for (qsizetype at = 0; at < bytes.size(); at += 16)
        tight.feed(bytes.mid(at, 16), tightOut);
    FUZZ_CHECK(tight.pending() <= 8);
    for (const QByteArray &m : tightOut)
        FUZZ_CHECK(!m.contains(Framer::Terminator));

    // The host side: four seats and a watcher logged in, then every message
    // as a request from slot 1 and from the slot it names.
    CheckedOutput out;
    Random random{std::uint32_t(size)};
    HostEngine engine(out, random);
    for (int i = 1; i <= 5; ++i) {
        const int slot = engine.acceptSlot();
        engine.connected(slot);
        engine.handle(slot, "CMD_logininfo+" + QByteArray::number(slot) + "+" +
                                velmora::VersionText + "+P" + QByteArray::number(slot));
    }
    engine.handle(1, "CMD_startgame+P1+100+2+1+");

    // The client side: logged in as seat 2.
    ClientSession session;
    Random tableRandom(1);
    TableModel table(tableRandom);
    session.setTable(&table);
    session.handle("CMD_sendlogininfo+2");

    for (const QByteArray &message : whole) {
        const SplitMessage split = splitMessage(message);
        if (split.cmd)
            FUZZ_CHECK(commandText(*split.cmd) == split.word);
        readFields(split.rest);

        engine.handle(1, message);
        if (const auto named = FieldReader(split.rest).number(2, SlotCount))
            engine.handle(*named, message);
        while (engine.dispatchOne()) {
        }

        try {
            session.handle(message);
        } catch (const Error &) {
        }
    }
    return 0;
}
