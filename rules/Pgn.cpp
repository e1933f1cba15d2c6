#include "Pgn.h"

#include "Board.h"
#include "Draws.h"
#include "Fen.h"
#include "LegalMoves.h"
#include "Record.h"
#include "San.h"

#include <QStringDecoder>
#include <algorithm>
#include <string_view>

namespace {

constexpr qsizetype MaxLineLength = 79;

// A record entry without a known letter promotes to a queen, as a game without hooks does.
TKind KindOfRecordLetter(QChar letter) {
    const TKind kind = KindOfPromotionLetter(letter);
    return kind == Pawn ? Queen : kind;
}

// Tag values are quoted strings: backslash and quote are escaped, and a line break or other
// control character would break the line-based format, so it becomes a blank.
QString TagLine(const QString &name, const QString &value) {
    QString escaped;
    for (const QChar c : value) {
        if (c == u'\\' || c == u'"')
            escaped += u'\\';
        escaped += c.category() == QChar::Other_Control ? QChar(u' ') : c;
    }
    return QStringLiteral("[%1 \"%2\"]\n").arg(name, escaped);
}

// Joins movetext units with blanks, starting a new line before one would grow past the limit.
QString WrapMovetext(const QStringList &units) {
    QString text;
    qsizetype lineLength = 0;
    for (const QString &unit : units) {
        if (lineLength > 0 && lineLength + 1 + unit.size() > MaxLineLength) {
            text += u'\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            text += u' ';
            ++lineLength;
        }
        text += unit;
        lineLength += unit.size();
    }
    return text + u'\n';
}

bool IsSymbolChar(QChar c) {
    // Movetext is ASCII almost always: its characters are told apart without a table look-up.
    if (c.unicode() < 0x80) {
        const char ascii = char(c.unicode());
        return (ascii >= 'a' && ascii <= 'z') || (ascii >= 'A' && ascii <= 'Z') ||
               (ascii >= '0' && ascii <= '9') ||
               std::string_view("_+#=:-/!?").find(ascii) != std::string_view::npos;
    }
    return c.isLetterOrNumber();
}

bool IsResult(const QString &token) {
    return token == u"1-0" || token == u"0-1" || token == u"1/2-1/2" || token == u"\u00bd-\u00bd";
}

bool IsMoveNumber(const QString &token) {
    return std::all_of(token.cbegin(), token.cend(), [](QChar c) { return c.isDigit(); });
}

bool IsAnnotation(const QString &token) {
    return std::all_of(token.cbegin(), token.cend(),
                       [](QChar c) { return c == u'!' || c == u'?'; });
}

// One pass over the text; the reader's position and the game being gathered.
class TPgnScanner {
public:
    explicit TPgnScanner(const QString &text) : Text(text) {}

    QList<TPgnGame> Games() {
        while (Pos < Text.size())
            Step();
        Finish();
        return Found;
    }

private:
    const QString &Text;
    qsizetype Pos = 0;
    int Depth = 0; // nesting of variations
    TPgnGame Current;
    QList<TPgnGame> Found;

    QChar At(qsizetype i) const { return i < Text.size() ? Text[i] : QChar(); }

    void SkipPast(QChar end) {
        const qsizetype found = Text.indexOf(end, Pos);
        Pos = found < 0 ? Text.size() : found + 1;
    }

    void Finish() {
        if (!Current.Tags.isEmpty() || !Current.Moves.isEmpty() || !Current.Result.isEmpty())
            Found.append(Current);
        Current = {};
        Depth = 0;
    }

    void ReadTag() {
        ++Pos; // '['
        while (At(Pos).isSpace())
            ++Pos;
        const qsizetype nameStart = Pos;
        while (Pos < Text.size() && (At(Pos).isLetterOrNumber() || At(Pos) == u'_'))
            ++Pos;
        const QString name = Text.mid(nameStart, Pos - nameStart);
        while (At(Pos).isSpace())
            ++Pos;
        QString value;
        if (At(Pos) == u'"') {
            for (++Pos; Pos < Text.size() && At(Pos) != u'"' && At(Pos) != u'\n'; ++Pos) {
                if (At(Pos) == u'\\' && Pos + 1 < Text.size())
                    ++Pos;
                value += At(Pos);
            }
        }
        SkipPast(u']');
        if (!name.isEmpty())
            Current.Tags.append({name, value});
    }

    QString ReadSymbol() {
        const qsizetype start = Pos;
        while (Pos < Text.size() && IsSymbolChar(At(Pos)))
            ++Pos;
        return Text.mid(start, Pos - start);
    }

    void Symbol(const QString &token) {
        if (Depth > 0 || IsMoveNumber(token) || IsAnnotation(token))
            return;
        if (IsResult(token)) {
            Current.Result = token;
            Finish();
            return;
        }
        Current.Moves.append(token);
    }

    void Step() {
        const QChar c = At(Pos);
        const bool lineStart = Pos == 0 || At(Pos - 1) == u'\n';
        if (c.isSpace() || c == u'.') {
            ++Pos;
        } else if (c == u';' || (c == u'%' && lineStart)) {
            SkipPast(u'\n');
        } else if (c == u'{') {
            SkipPast(u'}');
        } else if (c == u'(') {
            ++Depth;
            ++Pos;
        } else if (c == u')') {
            Depth = std::max(0, Depth - 1);
            ++Pos;
        } else if (c == u'[' && Depth == 0) {
            if (!Current.Moves.isEmpty())
                Finish(); // a new game whose predecessor had no termination marker
            ReadTag();
        } else if (c == u'$') {
            ++Pos;
            while (At(Pos).isDigit())
                ++Pos;
        } else if (c == u'*') {
            ++Pos;
            if (Depth == 0) {
                Current.Result = QStringLiteral("*");
                Finish();
            }
        } else if (QStringView(Text).mid(Pos, 4) == u"e.p.") {
            Pos += 4; // an old-style en-passant remark after the move
        } else if (IsSymbolChar(c)) {
            Symbol(ReadSymbol());
        } else {
            ++Pos; // a stray character that belongs to no token
        }
    }
};

bool StartsFromInitialPosition(const TPgnGame &game, TPgnFailure &failure) {
    const QString fen = game.Tag(QStringLiteral("FEN")).simplified();
    const QString start = QString::fromLatin1(StartFen);
    const auto fields = [](const QString &text) { return text.split(u' ').mid(0, 4); };
    failure.Cause = TPgnFailure::TCause::SetUpPosition;
    if (!fen.isEmpty() && fields(fen) != fields(start)) {
        failure.Reason = QStringLiteral("the game starts from a set-up position (FEN tag); a "
                                        "saved game always starts from the initial position");
        return false;
    }
    if (fen.isEmpty() && game.Tag(QStringLiteral("SetUp")).trimmed() == u"1") {
        failure.Reason = QStringLiteral("the game starts from a set-up position (SetUp tag)");
        return false;
    }
    const QString variant = game.Tag(QStringLiteral("Variant")).trimmed().toLower();
    if (!variant.isEmpty() && variant != u"standard" && variant != u"chess") {
        failure.Cause = TPgnFailure::TCause::Variant;
        failure.Variant = game.Tag(QStringLiteral("Variant")).trimmed();
        failure.Reason = QStringLiteral("variant \"%1\" is not supported").arg(variant);
        return false;
    }
    return true;
}

TPgnFailure BadMove(qsizetype ply, const QString &move, const QString &why) {
    return {TPgnFailure::TCause::BadMove,
            QStringLiteral("move %1 %2: %3").arg(MoveNumberText(ply), move, why),
            ply,
            move,
            why == u"ambiguous move",
            {}};
}

} // namespace

QString ResultOf(TGame &game) {
    switch (game.Status()) {
    case TGameStatus::Mate:
        return game.SideToMove == Black ? QStringLiteral("1-0") : QStringLiteral("0-1");
    case TGameStatus::Stalemate:
        return QStringLiteral("1/2-1/2");
    default:
        // The draws that end the game without a claim; a claimable one leaves it going on.
        return IsAutomaticDraw(DrawOf(game)) ? QStringLiteral("1/2-1/2") : QStringLiteral("*");
    }
}

std::optional<QString> PgnOfRecord(const QStringList &entries, const TPgnTags &tags,
                                   TBadEntry *bad) {
    // One pass: each entry is written in SAN before it is played, and a bad one ends the text.
    TGame game;
    QStringList units;
    for (qsizetype ply = 0; ply < entries.size(); ++ply) {
        const std::optional<TRecordEntry> entry = TRecordEntry::Parse(entries[ply]);
        const bool legal = entry && game.TryMove(entry->From, entry->To, entry->Promotion, false);
        if (!legal) {
            // The companion's reasons, as the check of a whole record gives them.
            if (bad)
                *bad = *ReplayRecord(entries.first(ply + 1)).Bad;
            return std::nullopt;
        }
        QString san = SanOfMove(game, entry->From, entry->To, KindOfRecordLetter(entry->Promotion));
        game.TryMove(entry->From, entry->To, entry->Promotion, true);
        san += SanCheckMark(game.Status());
        units.append(ply % 2 == 0 ? QStringLiteral("%1. %2").arg(ply / 2 + 1).arg(san) : san);
    }
    const QString result = ResultOf(game);
    units.append(result);
    return TagLine(QStringLiteral("Event"), tags.Event) +
           TagLine(QStringLiteral("Site"), tags.Site) + TagLine(QStringLiteral("Date"), tags.Date) +
           TagLine(QStringLiteral("Round"), tags.Round) +
           TagLine(QStringLiteral("White"), tags.White) +
           TagLine(QStringLiteral("Black"), tags.Black) +
           TagLine(QStringLiteral("Result"), result) + u'\n' + WrapMovetext(units) + u'\n';
}

QString TPgnGame::Tag(const QString &name) const {
    for (const auto &[tagName, value] : Tags) {
        if (tagName == name)
            return value;
    }
    return {};
}

QList<TPgnGame> ReadPgnGames(const QString &text) {
    return TPgnScanner(text).Games();
}

QString DecodePgn(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString MoveNumberText(qsizetype ply) {
    return QString::number(ply / 2 + 1) +
           (ply % 2 == 0 ? QStringLiteral(".") : QStringLiteral("..."));
}

std::optional<QStringList> RecordOfPgnGame(const TPgnGame &pgn, TPgnFailure *failure) {
    TPgnFailure found;
    if (!StartsFromInitialPosition(pgn, found)) {
        if (failure)
            *failure = found;
        return std::nullopt;
    }
    TGame game;
    QString reason;
    for (qsizetype ply = 0; ply < pgn.Moves.size(); ++ply) {
        const std::optional<TRecordEntry> move = ResolveSan(game, pgn.Moves[ply], &reason);
        if (!move || !game.TryMove(move->From, move->To, move->Promotion, true)) {
            if (failure)
                *failure =
                    BadMove(ply, pgn.Moves[ply], move ? QStringLiteral("illegal move") : reason);
            return std::nullopt;
        }
    }
    return game.MoveRecord;
}

namespace {

// Plays the main line from the initial position on bitboards; sanAt(ply) gives a half-move's
// text (valid until the next call).
template <typename TSanAt>
std::optional<TPgnFailure> PlayOnBitboards(qsizetype plies, TSanAt &&sanAt) {
    static const TBitPosition initial = [] {
        const TGame start;
        return TBitPosition::Of(start);
    }();
    TBitPosition position = initial;
    QString reason;
    for (qsizetype ply = 0; ply < plies; ++ply) {
        const QStringView san = sanAt(ply);
        TMove judged;
        const std::optional<TRecordEntry> move = ResolveSanOn(position, san, &reason, &judged);
        if (!move)
            return BadMove(ply, san.toString(), reason);
        PlayOn(position, judged, KindOfRecordLetter(move->Promotion));
    }
    return std::nullopt;
}

} // namespace

std::optional<TPgnFailure> CheckPgnGame(const TPgnGame &pgn) {
    TPgnFailure failure;
    if (!StartsFromInitialPosition(pgn, failure))
        return failure;
    return PlayOnBitboards(pgn.Moves.size(),
                           [&pgn](qsizetype ply) { return QStringView(pgn.Moves[ply]); });
}

std::optional<TPgnFailure> CheckPgnMoves(const TPgnGame &start,
                                         const std::vector<QByteArrayView> &moves) {
    TPgnFailure failure;
    if (!StartsFromInitialPosition(start, failure))
        return failure;
    // A move is a few ASCII characters: widened into one buffer, never allocated.
    QString buffer;
    return PlayOnBitboards(qsizetype(moves.size()), [&moves, &buffer](qsizetype ply) {
        buffer.resize(moves[ply].size());
        std::transform(moves[ply].begin(), moves[ply].end(), buffer.begin(),
                       [](char c) { return QChar(uchar(c)); });
        return QStringView(buffer);
    });
}

std::optional<QStringList> RecordOfPgnGame(const TPgnGame &pgn, QString *error) {
    TPgnFailure failure;
    std::optional<QStringList> record = RecordOfPgnGame(pgn, &failure);
    if (!record && error)
        *error = failure.Reason;
    return record;
}
