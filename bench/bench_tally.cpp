// Throughput of the tally file codec on 10 MB of mixed text, beside a
// plain memory copy of the same size as the ceiling.

#include "tally/tallycodec.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <cstring>

using namespace velmora;

namespace {

constexpr qsizetype TextSize = 10 * 1000 * 1000;

// Tally-like lines, numbers, runs and noise in random order, so that every
// kind of item and the stored blocks all take their share.
const QByteArray &mixedText()
{
    static const QByteArray text = [] {
        QRandomGenerator rng(42);
        QByteArray t;
        t.reserve(TextSize + 5000);
        while (t.size() < TextSize) {
            switch (rng.bounded(5)) {
            case 0: t += "Number of Games\r\nYour Wins:\r\nNeither Won:\r\n"; break;
            case 1: t += QByteArray::number(rng.bounded(100000)) + "\r\n"; break;
            case 2: t += QByteArray(int(rng.bounded(3, 200)), char(rng.bounded(256))); break;
            case 3: t += "Player" + QByteArray::number(rng.bounded(500)) + "\r\n"; break;
            default:
                for (int i = int(rng.bounded(1, 100)); i > 0; --i)
                    t += char(rng.bounded(256));
                break;
            }
        }
        t.truncate(TextSize);
        return t;
    }();
    return text;
}

void compress(benchmark::State &state)
{
    const QByteArray &text = mixedText();
    qsizetype fileSize = 0;
    for (auto _ : state) {
        const QByteArray file = compressTallyText(text);
        fileSize = file.size();
        benchmark::DoNotOptimize(file.constData());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["ratio"] = double(fileSize) / double(text.size());
}

// Argument 0: the method the game writes; 1: the one older copies wrote.
void decompress(benchmark::State &state)
{
    const TallyMethod method = state.range(0) == 0 ? TallyMethod::Lzrw1kh : TallyMethod::Lzh;
    state.SetLabel(method == TallyMethod::Lzrw1kh ? "LZRW1/KH" : "LZH");
    const QByteArray file = compressTallyText(mixedText(), method);
    for (auto _ : state) {
        const TallyDecodeResult result = decompressTallyText(file, QStringLiteral("bench"));
        if (!result.ok())
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(result.text.constData());
    }
    state.SetBytesProcessed(state.iterations() * mixedText().size());
}

void memoryCopy(benchmark::State &state)
{
    const QByteArray &text = mixedText();
    QByteArray copy(text.size(), Qt::Uninitialized);
    for (auto _ : state) {
        std::memcpy(copy.data(), text.constData(), size_t(text.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

} // namespace

BENCHMARK(compress)->Unit(benchmark::kMillisecond);
BENCHMARK(decompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(memoryCopy)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
