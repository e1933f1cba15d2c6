// PGN import: every game that imports, exported and imported again, gives the same record, its
// result and its tags.
#include "Board.h"
#include "FuzzCheck.h"
#include "Pgn.h"

#include <QStringDecoder>

namespace {

// As the companion reads a file: UTF-8, or Latin-1 when it is not.
QString Decoded(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

void CheckGame(const TPgnGame &game) {
    const std::optional<QStringList> record = RecordOfPgnGame(game);
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    for (const TPgnGame &game : ReadPgnGames(Decoded(FuzzBytes(data, size))))
        CheckGame(game);
    return 0;
}
