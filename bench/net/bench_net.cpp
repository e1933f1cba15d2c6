// Figures for the network library: finding message boundaries and converting chat text.
#include "IniDocument.h"
#include "MessageSplitter.h"
#include "Protocol.h"
#include "TextCodec.h"

#include <benchmark/benchmark.h>

namespace {

// A long game's move list followed by its selection, as one press sends them.
QByteArray PressOfLongGame(int moves) {
    QStringList entries;
    for (int i = 0; i < moves; ++i)
        entries.append(QStringLiteral("%1>%2").arg(i % 64).arg((i * 7) % 64));
    return EncodeText(MoveListMessage(entries) + SelectionMessage(NoSelection));
}

// The whole press in one read.
void SplitWholeRead(benchmark::State &state) {
    const QByteArray bytes = PressOfLongGame(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TMessageSplitter splitter;
        auto messages = splitter.Feed(bytes);
        messages += splitter.Flush();
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(SplitWholeRead)->Arg(40)->Arg(300);

// The same press cut into reads of 64 bytes, the unfinished list parsed again with each read.
void SplitSmallReads(benchmark::State &state) {
    const QByteArray bytes = PressOfLongGame(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TMessageSplitter splitter;
        QList<QByteArray> messages;
        for (qsizetype at = 0; at < bytes.size(); at += 64)
            messages += splitter.Feed(bytes.mid(at, 64));
        messages += splitter.Flush();
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(SplitSmallReads)->Arg(40)->Arg(300);

// Bytes a hostile peer floods the line with: no message of this program starts anywhere in them.
QByteArray Garbage(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 seed = 12345;
    for (char &byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        const char c = static_cast<char>(seed >> 24);
        byte = c == 'l' || c == 's' || c == 'm' || c == 'r' ? 'x' : c;
    }
    return bytes;
}

// A flood in reads of 1 KiB, then a press: the work per byte must not grow with the garbage
// that is still waiting for its end.
void SplitFlood(benchmark::State &state, const QByteArray &garbage) {
    constexpr qsizetype ReadSize = 1024;
    for (auto _ : state) {
        TMessageSplitter splitter;
        QList<QByteArray> messages;
        for (qsizetype at = 0; at < garbage.size(); at += ReadSize)
            messages += splitter.Feed(garbage.mid(at, ReadSize));
        messages += splitter.Feed("l12>28s-1");
        messages += splitter.Flush();
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(state.iterations() * garbage.size());
}

void SplitGarbageFlood(benchmark::State &state) {
    SplitFlood(state, Garbage(state.range(0) * 1024 * 1024));
}
BENCHMARK(SplitGarbageFlood)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Garbage, then letters that could each be an empty move list, until something tells.
void SplitLetterFlood(benchmark::State &state) {
    SplitFlood(state, '#' + QByteArray(state.range(0) * 1024 * 1024, 'l'));
}
BENCHMARK(SplitLetterFlood)->Arg(1)->Unit(benchmark::kMillisecond);

void EncodeChat(benchmark::State &state) {
    const QString message = ChatMessage(QStringLiteral("Предлагаю ничью, согласен? (да/нет)"));
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeText(EncodeText(message)));
}
BENCHMARK(EncodeChat);

void RewriteSettings(benchmark::State &state) {
    const QByteArray text = "; settings\n[Network]\nPort=6464\nServerIP=127.0.0.1\n"
                            "LastConnectAs=Client\n[Other]\nA=1\n";
    for (auto _ : state) {
        TIniDocument document = TIniDocument::Parse(text);
        document.SetValue(QStringLiteral("Network"), QStringLiteral("LastConnectAs"),
                          QStringLiteral("Server"));
        benchmark::DoNotOptimize(document.ToText());
    }
}
BENCHMARK(RewriteSettings);

} // namespace

BENCHMARK_MAIN();
