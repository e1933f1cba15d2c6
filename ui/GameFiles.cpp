#include "GameFiles.h"

#include "Pgn.h"
#include "Record.h"

#include <QRegularExpression>

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

QString PgnGameProblem(const TPgnGame &game, const TPgnFailure &failure) {
    switch (failure.Cause) {
    case TPgnFailure::TCause::Variant:
        return QStringLiteral("партия 1 относится к варианту «%1», а не к обычным шахматам")
            .arg(game.Tag(QStringLiteral("Variant")).trimmed().left(40));
    case TPgnFailure::TCause::SetUpPosition:
        return QStringLiteral("партия 1 начинается не с начальной позиции");
    case TPgnFailure::TCause::BadMove:
        break;
    }
    return QStringLiteral("в партии 1 ход %1 %2 %3")
        .arg(MoveNumberText(failure.Ply), failure.Move.left(40),
             failure.Ambiguous ? QStringLiteral("неоднозначен") : QStringLiteral("недопустим"));
}

} // namespace

std::optional<QStringList> RecordOfPgnLines(const QStringList &lines, QString *problem) {
    // The saved-game reader keeps every byte as one Latin-1 character.
    const QList<TPgnGame> games = ReadPgnGames(DecodePgn(lines.join(u'\n').toLatin1()));
    if (games.isEmpty()) {
        *problem = QStringLiteral("в файле нет ни одной партии");
        return std::nullopt;
    }
    TPgnFailure failure;
    std::optional<QStringList> record = RecordOfPgnGame(games.constFirst(), &failure);
    if (!record)
        *problem = PgnGameProblem(games.constFirst(), failure);
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
