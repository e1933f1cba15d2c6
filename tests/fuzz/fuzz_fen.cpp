// FEN set-up: a position that is accepted is written as FEN that sets up the same position and
// is written the same again; a string that is refused leaves the game as it was.
#include "Board.h"
#include "Fen.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString fen = QString::fromUtf8(FuzzBytes(data, size));
    TGame game;
    FUZZ_CHECK(game.ReplayMoves({QStringLiteral("12>28")}));
    const QString before = FenOf(game);
    QString error;
    if (!SetUpFromFen(game, fen, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(FenOf(game) == before && game.MoveRecord.size() == 1);
        return 0;
    }
    FUZZ_CHECK(game.MoveRecord.isEmpty() && game.Notation.isEmpty());
    const QString written = FenOf(game);
    TGame again;
    FUZZ_CHECK(SetUpFromFen(again, written, &error));
    FUZZ_CHECK(FenOf(again) == written);
    return 0;
}
