#include "GameFiles.h"

#include "Pgn.h"
#include "PgnIndex.h"
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

QString PgnFailureNote(const TPgnFailure &failure) {
    switch (failure.Cause) {
    case TPgnFailure::TCause::Variant:
        return QStringLiteral("вариант «%1», а не обычные шахматы").arg(failure.Variant.left(40));
    case TPgnFailure::TCause::SetUpPosition:
        return QStringLiteral("начинается не с начальной позиции");
    case TPgnFailure::TCause::NoGame:
        return QStringLiteral("текст не читается как партия");
    case TPgnFailure::TCause::BadMove:
        break;
    }
    return QStringLiteral("ход %1 %2 %3")
        .arg(MoveNumberText(failure.Ply), failure.Move.left(40),
             failure.Ambiguous ? QStringLiteral("неоднозначен") : QStringLiteral("недопустим"));
}

namespace {

QString PgnGameProblem(const TPgnFailure &failure, qsizetype number) {
    switch (failure.Cause) {
    case TPgnFailure::TCause::Variant:
        return QStringLiteral("партия %1 относится к варианту «%2», а не к обычным шахматам")
            .arg(number)
            .arg(failure.Variant.left(40));
    case TPgnFailure::TCause::SetUpPosition:
        return QStringLiteral("партия %1 %2").arg(number).arg(PgnFailureNote(failure));
    case TPgnFailure::TCause::NoGame:
        return QStringLiteral("текст партии %1 не читается как партия").arg(number);
    case TPgnFailure::TCause::BadMove:
        break;
    }
    return QStringLiteral("в партии %1 %2").arg(number).arg(PgnFailureNote(failure));
}

} // namespace

TGameText FileGame(const QString &shownName, const QStringList &lines, bool pgnByName) {
    TGameText game;
    game.Source = QStringLiteral("Файл\n") + shownName;
    game.Lines = lines;
    game.Pgn = pgnByName || LooksLikePgn(lines);
    // The saved-game reader keeps every byte as one Latin-1 character.
    if (game.Pgn)
        game.Lines = DecodePgn(lines.join(u'\n').toLatin1()).split(u'\n');
    return game;
}

std::shared_ptr<const TPgnSource> PgnFileSource(const QString &path) {
    QString error;
    std::shared_ptr<const TPgnSource> source = TPgnSource::OfFile(path, &error);
    if (!source || HasPgnName(path))
        return source;
    // The first line tells, as for the lines of a whole file.
    constexpr qsizetype HeadSize = 4096;
    const QByteArrayView bytes = source->Bytes();
    const QByteArrayView head = bytes.first(std::min(HeadSize, bytes.size()));
    return LooksLikePgn(QString::fromLatin1(head).split(u'\n')) ? source : nullptr;
}

TGameText CollectionGame(const QString &source, const QByteArray &text, qsizetype number) {
    TGameText game;
    game.Source = source;
    game.Lines = DecodePgn(text).split(u'\n');
    game.Pgn = true;
    game.Number = number;
    return game;
}

TGameText PastedGame(const QString &text) {
    TGameText game;
    game.Source = QStringLiteral("Текст в буфере обмена");
    // Text copied from a page or a mail comes with blanks and line ends around it.
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        game.Problem = QStringLiteral("пуст");
        return game;
    }
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    game.Lines = trimmed.split(lineEnd);
    game.Pgn = LooksLikePgn(game.Lines);
    if (game.Pgn)
        return game;
    // The one-line form the network sends.
    if (game.Lines.size() == 1 && trimmed.contains(u'|'))
        game.Lines = trimmed.split(u'|');
    for (QString &line : game.Lines)
        line = line.trimmed();
    return game;
}

std::optional<QStringList> RecordOfPgnText(const QString &text, QString *problem,
                                           qsizetype number) {
    const QList<TPgnGame> games = ReadPgnGames(text);
    TPgnFailure failure;
    if (games.isEmpty()) {
        failure.Cause = TPgnFailure::TCause::NoGame;
        *problem = number == 1 ? QStringLiteral("в файле нет ни одной партии")
                               : PgnGameProblem(failure, number);
        return std::nullopt;
    }
    std::optional<QStringList> record = RecordOfPgnGame(games.constFirst(), &failure);
    if (!record)
        *problem = PgnGameProblem(failure, number);
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
