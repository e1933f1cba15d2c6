#include "GameFiles.h"

#include "Pgn.h"
#include "Record.h"

#include <QRegularExpression>
#include <QStringDecoder>

QStringList SavedGameFilters() {
    return {QStringLiteral("Сохраненные игры Korvalen (*.kvl)"), QStringLiteral("Все файлы (*)"),
            QStringLiteral("Партии в формате PGN (*.pgn)")};
}

bool HasPgnName(const QString &path) {
    return path.endsWith(QStringLiteral(".pgn"), Qt::CaseInsensitive);
}

bool LooksLikePgn(const QStringList &lines) {
    static const QRegularExpression start(QStringLiteral("^\\s*(\\[|1\\s*\\.)"));
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty() || line.startsWith(u'%'))
            continue;
        return start.match(line).hasMatch();
    }
    return false;
}

namespace {

// The saved-game reader keeps every byte as one Latin-1 character; PGN files in the wild are
// UTF-8 or, when older, Latin-1.
QString PgnText(const QStringList &lines) {
    const QByteArray bytes = lines.join(u'\n').toLatin1();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// The first move of a game that cannot be played, counted from 0; -1 when every move can.
qsizetype FirstBadMove(TPgnGame game) {
    const QStringList moves = game.Moves;
    // A prefix of a game's moves replays when, and only when, the bad move lies beyond it.
    qsizetype good = 0;
    qsizetype bad = moves.size() + 1;
    while (bad - good > 1) {
        const qsizetype middle = (good + bad) / 2;
        game.Moves = moves.first(middle);
        if (RecordOfPgnGame(game))
            good = middle;
        else
            bad = middle;
    }
    return bad > moves.size() ? -1 : bad - 1;
}

QString PgnGameProblem(const TPgnGame &game, const QString &reason) {
    TPgnGame start = game;
    start.Moves.clear();
    if (!RecordOfPgnGame(start)) {
        if (!game.Tag(QStringLiteral("Variant")).trimmed().isEmpty() &&
            reason.startsWith(QStringLiteral("variant")))
            return QStringLiteral("партия 1 относится к варианту «%1», а не к обычным шахматам")
                .arg(game.Tag(QStringLiteral("Variant")).trimmed().left(40));
        return QStringLiteral("партия 1 начинается не с начальной позиции");
    }
    const qsizetype ply = FirstBadMove(game);
    const QString what = reason.endsWith(QStringLiteral("ambiguous move"))
                             ? QStringLiteral("неоднозначен")
                             : QStringLiteral("недопустим");
    return QStringLiteral("в партии 1 ход %1%2 %3 %4")
        .arg(ply / 2 + 1)
        .arg(ply % 2 == 0 ? QStringLiteral(".") : QStringLiteral("..."),
             game.Moves.value(ply).left(40), what);
}

} // namespace

std::optional<QStringList> RecordOfPgnLines(const QStringList &lines, QString *problem) {
    const QList<TPgnGame> games = ReadPgnGames(PgnText(lines));
    if (games.isEmpty()) {
        *problem = QStringLiteral("в файле нет ни одной партии");
        return std::nullopt;
    }
    QString reason;
    std::optional<QStringList> record = RecordOfPgnGame(games.constFirst(), &reason);
    if (!record)
        *problem = PgnGameProblem(games.constFirst(), reason);
    return record;
}

QString BadLineProblem(const QStringList &lines, const TBadEntry &bad) {
    const QString line = lines.value(bad.Index);
    if (line.isEmpty())
        return QStringLiteral("строка %1 пустая").arg(bad.Index + 1);
    // A binary file's bytes would show as boxes: only printable characters are quoted.
    constexpr qsizetype MaxQuoted = 40;
    QString quoted;
    for (const QChar ch : line) {
        if (ch.unicode() >= 0x20 && ch.unicode() < 0x7f)
            quoted.append(ch);
        else if (!quoted.endsWith(u'…'))
            quoted.append(u'…');
    }
    if (quoted.size() > MaxQuoted)
        quoted = quoted.first(MaxQuoted - 1) + u'…';
    if (quoted.isEmpty() || quoted == u"…")
        return QStringLiteral("строка %1 не является допустимым ходом").arg(bad.Index + 1);
    return QStringLiteral("строка %1 («%2») не является допустимым ходом")
        .arg(bad.Index + 1)
        .arg(quoted);
}

QString PgnTextOfRecord(const QStringList &record) {
    return PgnOfRecord(record, TPgnTags()).value_or(QString());
}
