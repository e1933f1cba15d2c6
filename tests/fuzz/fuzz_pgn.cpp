// PGN import: every game that imports, exported and imported again, gives the same record, its
// result and its tags. The index of a collection finds the games the reader finds, with their
// half-moves and tags, and the check of a game takes exactly the games the import takes.
#include "Board.h"
#include "FuzzCheck.h"
#include "Pgn.h"
#include "PgnIndex.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

// As the companion reads a file: UTF-8, or Latin-1 when it is not.
QString Decoded(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

void CheckGame(const TPgnGame &game) {
    TPgnFailure failure;
    const std::optional<QStringList> record = RecordOfPgnGame(game, &failure);
    const std::optional<TPgnFailure> checked = CheckPgnGame(game);
    FUZZ_CHECK(checked.has_value() == !record.has_value());
    FUZZ_CHECK(!checked || checked->Reason == failure.Reason);
    if (!record)
        return;
    TPgnTags tags;
    tags.White = QStringLiteral("Белые");
    tags.Event = QStringLiteral("Fuzz \"quoted\" \\ event");
    const std::optional<QString> exported = PgnOfRecord(*record, tags);
    FUZZ_CHECK(exported.has_value());
    const QList<TPgnGame> again = ReadPgnGames(*exported);
    FUZZ_CHECK(again.size() == 1);
    FUZZ_CHECK(again.front().Tag(QStringLiteral("White")) == tags.White);
    FUZZ_CHECK(again.front().Tag(QStringLiteral("Event")) == tags.Event);
    FUZZ_CHECK(again.front().Moves.size() == record->size());
    const std::optional<QStringList> reimported = RecordOfPgnGame(again.front());
    FUZZ_CHECK(reimported == record);
    TGame played;
    FUZZ_CHECK(played.ReplayMoves(*record));
    FUZZ_CHECK(again.front().Result == ResultOf(played));
}

// Bytes beyond ASCII are letters to the index whatever they decode to, so the two agree
// exactly on ASCII text.
void CheckIndex(const QByteArray &bytes, const QList<TPgnGame> &games) {
    if (std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return c & 0x80; }))
        return;
    const std::shared_ptr<const TPgnSource> source = TPgnSource::OfBytes(bytes);
    const std::vector<TPgnIndexEntry> index = IndexPgn(source->Bytes());
    FUZZ_CHECK(qsizetype(index.size()) == games.size());
    for (qsizetype i = 0; i < games.size(); ++i) {
        FUZZ_CHECK(index[i].Plies == games[i].Moves.size());
        FUZZ_CHECK(source->Tag(index[i], TPgnTag::White) == games[i].Tag(QStringLiteral("White")));
        FUZZ_CHECK(source->Tag(index[i], TPgnTag::Event) == games[i].Tag(QStringLiteral("Event")));
        const QList<TPgnGame> alone =
            ReadPgnGames(Decoded(source->GameBytes(index[i]).toByteArray()));
        FUZZ_CHECK(alone.size() == 1 && alone.front().Moves == games[i].Moves);
    }
}

} // namespace

// The check of a game straight from its bytes answers as the import of the text's first game.
void CheckBytes(const QByteArray &bytes, const QList<TPgnGame> &games) {
    const std::optional<TPgnFailure> checked = FailureOfPgnGame(bytes);
    if (games.isEmpty()) {
        FUZZ_CHECK(checked && checked->Cause == TPgnFailure::TCause::NoGame);
        return;
    }
    TPgnFailure failure;
    const bool imports = RecordOfPgnGame(games.front(), &failure).has_value();
    FUZZ_CHECK(checked.has_value() == !imports);
    FUZZ_CHECK(imports || checked->Reason == failure.Reason);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    const QList<TPgnGame> games = ReadPgnGames(Decoded(bytes));
    CheckBytes(bytes, games);
    CheckIndex(bytes, games);
    for (const TPgnGame &game : games)
        CheckGame(game);
    return 0;
}
