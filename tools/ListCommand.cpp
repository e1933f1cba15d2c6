#include "ListCommand.h"

#include "Pgn.h"
#include "PgnIndex.h"

#include <QIODevice>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr qsizetype ChunkGames = 64;           // games a checking thread takes at a time
constexpr qsizetype OutputChunk = 1024 * 1024; // bytes written at once

// A tag value on one line of its own: tabs and line ends would split the columns.
void AppendField(QByteArray &line, const QString &value) {
    QByteArray bytes = value.toUtf8();
    std::replace_if(
        bytes.begin(), bytes.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; },
        ' ');
    line += bytes;
    line += '\t';
}

// Plays every game through, on as many threads as the computer has cores; the games are taken
// in small chunks, so a long game does not hold the others back.
std::vector<std::optional<TPgnFailure>> CheckGames(const TPgnSource &source,
                                                   const std::vector<TPgnIndexEntry> &games) {
    std::vector<std::optional<TPgnFailure>> failures(games.size());
    std::atomic<qsizetype> next = 0;
    const auto work = [&] {
        for (;;) {
            const qsizetype first = next.fetch_add(ChunkGames);
            if (first >= qsizetype(games.size()))
                return;
            const qsizetype last = std::min(first + ChunkGames, qsizetype(games.size()));
            for (qsizetype i = first; i < last; ++i)
                failures[i] = FailureOfPgnGame(source.GameBytes(games[i]));
        }
    };
    const int threads = std::max(1, QThread::idealThreadCount());
    std::vector<std::jthread> helpers;
    for (int i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    work();
    return failures; // the helpers are joined first
}

} // namespace

int ListGames(const QString &path, bool check, QIODevice &out, QIODevice &err) {
    QString error;
    const std::shared_ptr<const TPgnSource> source = TPgnSource::OfFile(path, &error);
    if (!source) {
        err.write(QStringLiteral("korvalen-kvl: cannot read %1: %2\n").arg(path, error).toUtf8());
        return 1;
    }
    const std::vector<TPgnIndexEntry> games = IndexPgn(source->Bytes());
    const std::vector<std::optional<TPgnFailure>> failures =
        check ? CheckGames(*source, games) : std::vector<std::optional<TPgnFailure>>();
    bool allPlay = true;
    QByteArray text;
    for (qsizetype i = 0; i < qsizetype(games.size()); ++i) {
        const TPgnIndexEntry &game = games[i];
        text += QByteArray::number(i + 1) + '\t';
        for (const TPgnTag tag :
             {TPgnTag::White, TPgnTag::Black, TPgnTag::Result, TPgnTag::Date, TPgnTag::Event})
            AppendField(text, source->Tag(game, tag));
        text += QByteArray::number(game.Plies);
        if (check) {
            text += '\t';
            const std::optional<TPgnFailure> &failure = failures[i];
            text += failure ? failure->Reason.toUtf8() : QByteArray("ok");
            allPlay = allPlay && !failure;
        }
        text += '\n';
        if (text.size() >= OutputChunk) {
            out.write(text);
            text.clear();
        }
    }
    out.write(text);
    return allPlay ? 0 : 1;
}
