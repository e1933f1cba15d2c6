// A saved game (.kvl) read and replayed: the replay and the check for a bad entry agree, a
// replayed record is written and read back as itself and replays to the same game, and the
// companion's "show" writes the notation of the replay; the standard FEN after the last entry
// names the replayed position and sets it up again.
#include "Board.h"
#include "Commands.h"
#include "Fen.h"
#include "FuzzCheck.h"
#include "Record.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

namespace {

// What "show" writes for one game: its notation lines, then the message after the last move.
QByteArray ShownText(const TGame &game) {
    QString text;
    for (const QString &line : game.Notation)
        text += line + u'\n';
    return (text + game.GameMessage + u'\n').toUtf8();
}

// The companion's "show" on those bytes, through a file as it is used; its exit status in *status.
QByteArray Show(const QByteArray &bytes, int *status, QByteArray *errors) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game.kvl"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
    file.close();
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    *status = RunKvl({QStringLiteral("show"), path}, out, err);
    *errors = err.data();
    return out.data();
}

// The entries before a bad one replay; with it they do not.
void CheckBadEntry(const QStringList &lines, const TBadEntry &bad) {
    FUZZ_CHECK(bad.Index >= 0 && bad.Index < lines.size());
    FUZZ_CHECK(!bad.Reason.isEmpty());
    TGame game;
    FUZZ_CHECK(game.ReplayMoves(lines.first(bad.Index)));
    FUZZ_CHECK(!ReplayRecord(lines.first(bad.Index)).Bad);
    FUZZ_CHECK(!game.ReplayMoves(lines.first(bad.Index + 1)));
}

void CheckReplay(const TGame &game, const QStringList &lines) {
    FUZZ_CHECK(game.MoveRecord.size() == lines.size());
    FUZZ_CHECK(SavedGameLines(SavedGameBytes(game.MoveRecord)) == game.MoveRecord);
    TGame again;
    FUZZ_CHECK(again.ReplayMoves(game.MoveRecord));
    FUZZ_CHECK(again.MoveRecord == game.MoveRecord);
    FUZZ_CHECK(again.Notation == game.Notation);
    FUZZ_CHECK(again.GameMessage == game.GameMessage);
    const QString fen = StandardFenAfter(lines, int(lines.size()));
    FUZZ_CHECK(fen.section(u' ', 0, 2) == FenOf(game).section(u' ', 0, 2));
    TGame set;
    FUZZ_CHECK(SetUpFromFen(set, fen));
    FUZZ_CHECK(FenOf(set).section(u' ', 0, 2) == fen.section(u' ', 0, 2));
}

// The companion reads the file and shows the game of the replay, or names the bad entry.
void CheckShow(const QByteArray &bytes, const std::optional<TBadEntry> &bad, const TGame &game) {
    int status = 0;
    QByteArray errors;
    const QByteArray shown = Show(bytes, &status, &errors);
    if (bad) {
        const QString where = QStringLiteral(":%1: %2\n").arg(bad->Index + 1).arg(bad->Reason);
        FUZZ_CHECK(status == 1 && shown.isEmpty() && errors.endsWith(where.toUtf8()));
        return;
    }
    FUZZ_CHECK(status == 0 && errors.isEmpty());
    FUZZ_CHECK(shown == ShownText(game));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    const QStringList lines = SavedGameLines(bytes);
    const std::optional<TBadEntry> bad = ReplayRecord(lines).Bad;
    TGame game;
    FUZZ_CHECK(game.ReplayMoves(lines) == !bad);
    if (bad)
        CheckBadEntry(lines, *bad);
    else
        CheckReplay(game, lines);
    if (ThroughFileToo(bytes))
        CheckShow(bytes, bad, game);
    return 0;
}
