#include "Commands.h"

#include "Board.h"
#include "Fen.h"
#include "FindCommand.h"
#include "ListCommand.h"
#include "OpenPortCommand.h"
#include "Perft.h"
#include "Pgn.h"
#include "PgnIndex.h"
#include "Record.h"

#include <QCommandLineParser>
#include <QDate>
#include <QIODevice>
#include <QMap>
#include <QRegularExpression>
#include <array>
#include <optional>
#include <utility>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr int MaxPerftDepth = 15;

const QString Program = QStringLiteral("korvalen-kvl");
const QStringList ValueOptions{QStringLiteral("--white"), QStringLiteral("--black"),
                               QStringLiteral("--event"), QStringLiteral("--date"),
                               QStringLiteral("--game"),  QStringLiteral("--ply")};

void Write(QIODevice &device, const QString &text) {
    device.write(text.toUtf8());
}

int Fail(QIODevice &err, const QString &message) {
    Write(err, Program + QStringLiteral(": ") + message + u'\n');
    return ExitFailed;
}

int UsageError(QIODevice &err, const QString &problem) {
    Write(err,
          QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(Program, problem));
    return ExitUsage;
}

struct TArguments {
    QStringList Positional;
    QMap<QString, QString> Values; // option name without dashes -> value (the last one given)
};

// The argument that brought in the option the parser did not know: "--name" or "--name=..."
// for a long option, a single-dash group holding the letter for a short one.
QString UnknownArgument(const QStringList &arguments, const QString &name) {
    for (const QString &argument : arguments) {
        if (argument == u"--")
            break;
        if (argument.startsWith(u"--") ? argument.mid(2).section(u'=', 0, 0) == name
                                       : argument.size() > 1 && argument.startsWith(u'-') &&
                                             argument.mid(1).contains(name))
            return argument;
    }
    return QStringLiteral("--") + name;
}

// "--name VALUE" and "--name=VALUE" for the named options, "--" ends the options; any other
// argument that starts with "-" is an unknown option.
std::optional<TArguments> ParseArguments(const QStringList &arguments, const QStringList &options,
                                         QString *problem) {
    QCommandLineParser parser;
    for (const QString &name : options)
        parser.addOption(QCommandLineOption(name, QString(), name));
    // The parser skips the first argument, the program's name.
    if (!parser.parse(QStringList{Program} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            *problem = QStringLiteral("unknown option '%1'")
                           .arg(UnknownArgument(arguments, unknown.front()));
        else // the one other failure: a value option at the very end
            *problem = QStringLiteral("option '%1' needs a value").arg(arguments.back());
        return std::nullopt;
    }
    TArguments parsed;
    parsed.Positional = parser.positionalArguments();
    for (const QString &name : options) {
        if (parser.isSet(name))
            parsed.Values[name] = parser.value(name);
    }
    return parsed;
}

// The bytes of one saved game, or nullopt after the file's error went to err.
std::optional<QByteArray> ReadGameBytes(const QString &path, QIODevice &err) {
    QString readError;
    std::optional<QByteArray> bytes = ReadSavedGameBytes(path, &readError);
    if (!bytes)
        Fail(err, QStringLiteral("cannot read %1: %2").arg(path, readError));
    return bytes;
}

// The saved game of one file, or nullopt after the file's error went to err.
std::optional<QStringList> ReadGameLines(const QString &path, QIODevice &err) {
    const std::optional<QByteArray> bytes = ReadGameBytes(path, err);
    if (!bytes)
        return std::nullopt;
    return SavedGameLines(*bytes);
}

void ReportBadEntry(QIODevice &err, const QString &path, const TBadEntry &bad) {
    Write(err, QStringLiteral("%1:%2: %3\n").arg(path).arg(bad.Index + 1).arg(bad.Reason));
}

// Notation lines as the notation box shows them, then the game message after the last move.
// Gathered in one string of the right size: a long game has hundreds of lines.
QString ShowText(const TGame &game) {
    qsizetype size = game.GameMessage.size() + 1;
    for (const QString &line : game.Notation)
        size += line.size() + 1;
    QString text;
    text.reserve(size);
    for (const QString &line : game.Notation) {
        text += line;
        text += u'\n';
    }
    text += game.GameMessage;
    text += u'\n';
    return text;
}

int Show(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    QString problem;
    const std::optional<TArguments> parsed = ParseArguments(arguments, {}, &problem);
    if (!parsed)
        return UsageError(err, problem);
    const QStringList &files = parsed->Positional;
    if (files.isEmpty())
        return UsageError(err, QStringLiteral("show needs at least one saved game"));
    int status = ExitOk;
    bool headerWritten = false;
    for (const QString &file : files) {
        const std::optional<QByteArray> bytes = ReadGameBytes(file, err);
        if (!bytes) {
            status = ExitFailed;
            continue;
        }
        // One replay, straight from the file's bytes, checks the game and gives its notation.
        const TReplay replay = ReplaySavedGame(*bytes);
        if (replay.Bad) {
            ReportBadEntry(err, file, *replay.Bad);
            status = ExitFailed;
            continue;
        }
        // Several files are told apart as head(1) does: a header, and a blank line between.
        if (files.size() > 1) {
            Write(out, QStringLiteral("%1==> %2 <==\n").arg(headerWritten ? "\n" : "", file));
            headerWritten = true;
        }
        Write(out, ShowText(*replay.Game));
    }
    return status;
}

int PerftCommand(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    if (arguments.size() != 2)
        return UsageError(err, QStringLiteral("perft needs a FEN position and a depth"));
    TGame game;
    QString error;
    if (!SetUpFromFen(game, arguments[0], &error))
        return Fail(err, QStringLiteral("bad FEN \"%1\": %2").arg(arguments[0], error));
    bool isNumber = false;
    const int depth = arguments[1].toInt(&isNumber);
    if (!isNumber || depth < 0 || depth > MaxPerftDepth)
        return Fail(err, QStringLiteral("bad depth \"%1\": a whole number from 0 to %2 is needed")
                             .arg(arguments[1])
                             .arg(MaxPerftDepth));
    Write(out, QString::number(Perft(game, depth)) + u'\n');
    return ExitOk;
}

// YYYY.MM.DD with "??" (or "????") for an unknown part; a date known in full must exist.
bool IsPgnDate(const QString &text) {
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{4}|\\?{4})\\.([0-9]{2}|\\?{2})\\.([0-9]{2}|\\?{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    if (text.contains(u'?'))
        return true;
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt())
        .isValid();
}

// Asks for help: "-h" or "--help" where an option may stand (not as the value of another
// option, and not after "--").
bool WantsHelp(const QStringList &arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--")
            return false;
        if (argument == u"-h" || argument == u"--help")
            return true;
        if (ValueOptions.contains(argument))
            ++i;
    }
    return false;
}

int PgnCommand(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    QString problem;
    const std::optional<TArguments> parsed =
        ParseArguments(arguments,
                       {QStringLiteral("white"), QStringLiteral("black"), QStringLiteral("event"),
                        QStringLiteral("date")},
                       &problem);
    if (!parsed)
        return UsageError(err, problem);
    if (parsed->Positional.size() != 1)
        return UsageError(err, QStringLiteral("pgn needs exactly one saved game"));
    TPgnTags tags;
    // An empty value means as little as a missing one: the tag keeps its "unknown" mark.
    const auto take = [&parsed](const char *name, QString &tag) {
        const QString value = parsed->Values.value(QString::fromLatin1(name)).trimmed();
        if (!value.isEmpty())
            tag = value;
    };
    take("white", tags.White);
    take("black", tags.Black);
    take("event", tags.Event);
    take("date", tags.Date);
    if (!IsPgnDate(tags.Date))
        return UsageError(err, QStringLiteral("bad date '%1': YYYY.MM.DD is needed (use ?? for "
                                              "an unknown part)")
                                   .arg(tags.Date));
    const QString &file = parsed->Positional.front();
    const std::optional<QStringList> entries = ReadGameLines(file, err);
    if (!entries)
        return ExitFailed;
    TBadEntry bad;
    const std::optional<QString> pgn = PgnOfRecord(*entries, tags, &bad);
    if (!pgn) {
        ReportBadEntry(err, file, bad);
        return ExitFailed;
    }
    Write(out, *pgn);
    return ExitOk;
}

QString GameName(const TPgnGame &game, qsizetype number) {
    const QString white = game.Tag(QStringLiteral("White"));
    const QString black = game.Tag(QStringLiteral("Black"));
    if (white.isEmpty() && black.isEmpty())
        return QStringLiteral("game %1").arg(number);
    return QStringLiteral("game %1 (%2 - %3)")
        .arg(number)
        .arg(white.isEmpty() ? QStringLiteral("?") : white,
             black.isEmpty() ? QStringLiteral("?") : black);
}

// The record of game `number` (from 1) of a PGN file, or nullopt after the reason went to err.
// Only the games before it are indexed, and only it is read and played.
std::optional<QStringList> RecordOfPgnFile(const QString &path, int number, QIODevice &err) {
    QString readError;
    const std::shared_ptr<const TPgnSource> source = TPgnSource::OfFile(path, &readError);
    if (!source) {
        Fail(err, QStringLiteral("cannot read %1: %2").arg(path, readError));
        return std::nullopt;
    }
    TPgnIndexer indexer(source->Bytes());
    std::optional<TPgnIndexEntry> entry;
    qsizetype found = 0;
    while (found < number && (entry = indexer.Next()))
        ++found;
    if (!entry) {
        Fail(err, QStringLiteral("%1: there is no game %2 (the file holds %3)")
                      .arg(path)
                      .arg(number)
                      .arg(found));
        return std::nullopt;
    }
    const QList<TPgnGame> games =
        ReadPgnGames(DecodePgn(source->GameBytes(*entry).toByteArray()));
    const TPgnGame game = games.value(0);
    QString error = QStringLiteral("no game in the text");
    std::optional<QStringList> record =
        games.isEmpty() ? std::nullopt : RecordOfPgnGame(game, &error);
    if (!record)
        Fail(err, QStringLiteral("%1: %2: %3").arg(path, GameName(game, number), error));
    return record;
}

// A whole number of at least `least` given as an option's text; nullopt for anything else.
std::optional<int> CountOption(const QString &text, int least) {
    bool isNumber = false;
    const int value = text.toInt(&isNumber);
    if (!isNumber || value < least)
        return std::nullopt;
    return value;
}

int ImportCommand(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    QString problem;
    const std::optional<TArguments> parsed =
        ParseArguments(arguments, {QStringLiteral("game")}, &problem);
    if (!parsed)
        return UsageError(err, problem);
    if (parsed->Positional.size() != 1)
        return UsageError(err, QStringLiteral("import needs exactly one PGN file"));
    const QString gameText = parsed->Values.value(QStringLiteral("game"), QStringLiteral("1"));
    const std::optional<int> number = CountOption(gameText, 1);
    if (!number)
        return UsageError(
            err, QStringLiteral("bad game number '%1': 1 or more is needed").arg(gameText));
    const std::optional<QStringList> record =
        RecordOfPgnFile(parsed->Positional.front(), *number, err);
    if (!record)
        return ExitFailed;
    out.write(SavedGameBytes(*record));
    return ExitOk;
}

int ListCommand(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    // The one flag of the companion: taken out before the parser sees the rest.
    QStringList rest = arguments;
    const qsizetype optionsEnd = rest.contains(QStringLiteral("--"))
                                     ? rest.indexOf(QStringLiteral("--"))
                                     : rest.size();
    const bool check = rest.first(optionsEnd).contains(QStringLiteral("--check"));
    for (qsizetype i = optionsEnd - 1; i >= 0; --i) {
        if (rest[i] == u"--check")
            rest.removeAt(i);
    }
    QString problem;
    const std::optional<TArguments> parsed = ParseArguments(rest, {}, &problem);
    if (!parsed)
        return UsageError(err, problem);
    if (parsed->Positional.size() != 1)
        return UsageError(err, QStringLiteral("list needs exactly one PGN file"));
    return ListGames(parsed->Positional.front(), check, out, err);
}

// A file named *.pgn (in any case) is read as PGN, any other as a saved game.
bool IsPgnFileName(const QString &path) {
    return path.endsWith(QStringLiteral(".pgn"), Qt::CaseInsensitive);
}

// The record of a saved game that replays to its end, or nullopt after the reason went to err.
std::optional<QStringList> RecordOfSavedGame(const QString &path, QIODevice &err) {
    std::optional<QStringList> entries = ReadGameLines(path, err);
    if (!entries)
        return std::nullopt;
    if (const TReplay replay = ReplayRecord(*entries); replay.Bad) {
        ReportBadEntry(err, path, *replay.Bad);
        return std::nullopt;
    }
    return entries;
}

int FenCommand(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    QString problem;
    const std::optional<TArguments> parsed =
        ParseArguments(arguments, {QStringLiteral("ply"), QStringLiteral("game")}, &problem);
    if (!parsed)
        return UsageError(err, problem);
    if (parsed->Positional.size() != 1)
        return UsageError(err, QStringLiteral("fen needs exactly one saved game or PGN file"));
    const QString plyText = parsed->Values.value(QStringLiteral("ply"));
    const std::optional<int> ply =
        plyText.isNull() ? std::optional<int>(-1) : CountOption(plyText, 0);
    if (!ply)
        return UsageError(err,
                          QStringLiteral("bad half-move '%1': 0 or more is needed").arg(plyText));
    const QString gameText = parsed->Values.value(QStringLiteral("game"), QStringLiteral("1"));
    const std::optional<int> number = CountOption(gameText, 1);
    if (!number)
        return UsageError(
            err, QStringLiteral("bad game number '%1': 1 or more is needed").arg(gameText));
    const QString &path = parsed->Positional.front();
    if (!IsPgnFileName(path) && parsed->Values.contains(QStringLiteral("game")))
        return UsageError(err, QStringLiteral("--game is for PGN files (named *.pgn)"));
    const std::optional<QStringList> record =
        IsPgnFileName(path) ? RecordOfPgnFile(path, *number, err) : RecordOfSavedGame(path, err);
    if (!record)
        return ExitFailed;
    const int plies = *ply < 0 ? int(record->size()) : *ply;
    if (plies > record->size())
        return Fail(err, QStringLiteral("%1: there is no half-move %2 (the game has %3)")
                             .arg(path)
                             .arg(plies)
                             .arg(record->size()));
    Write(out, StandardFenAfter(*record, plies) + u'\n');
    return ExitOk;
}

} // namespace

QString KvlHelpText() {
    return QStringLiteral(
        "Usage: korvalen-kvl COMMAND [ARGUMENT]...\n"
        "Replays, checks and converts Korvalen saved games (.kvl) without the window.\n"
        "\n"
        "Commands:\n"
        "  show FILE...\n"
        "      Replay saved games and print their notation, then the game message after\n"
        "      the last move. With several files each game is headed by '==> FILE <=='.\n"
        "  perft FEN DEPTH\n"
        "      Count the move paths of DEPTH half-moves (0 to 15) from a FEN position.\n"
        "  pgn FILE [--white NAME] [--black NAME] [--event TEXT] [--date YYYY.MM.DD]\n"
        "      Write a saved game as PGN (export format) on standard output.\n"
        "  list FILE [--check]\n"
        "      List the games of a PGN file, one line each, tab-separated: number, White,\n"
        "      Black, Result, Date, Event, half-moves. With --check every game is played\n"
        "      through and a last column says 'ok' or why it cannot be; the exit status is\n"
        "      then 1 when any game cannot be played.\n"
        "  import FILE [--game N]\n"
        "      Write game N (1 by default) of a PGN file as a saved game on standard output.\n"
        "  fen FILE [--ply N] [--game G]\n"
        "      Print the FEN of the position after N half-moves (by default after the last)\n"
        "      of a saved game, or of game G (1 by default) of a PGN file (named *.pgn).\n"
        "  find [--wait MS] [--port P]\n"
        "      Look for Korvalen servers on the local networks for MS milliseconds (1500 by\n"
        "      default) on port P (6464 by default); print one line per server, ordered by\n"
        "      address: ADDRESS PORT free|busy NAME. Exit status 1 when none answered.\n"
        "  open-port [--port P]\n"
        "      Open TCP port P (6464 by default) on the home router (UPnP, else NAT-PMP), so\n"
        "      that a friend across the internet reaches this computer's server; print\n"
        "      EXTERNAL_ADDRESS PORT METHOD (upnp, natpmp or pcp) and keep the port open until\n"
        "      interrupted (Ctrl+C, SIGTERM), then close it. Exit status 1 when no router\n"
        "      answered or it refused, with the reason on standard error.\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this help and exit\n"
        "  --version      show the version and exit\n"
        "\n"
        "Exit status: 0 done, 1 a file, game or position could not be used, 2 usage error.\n");
}

int RunKvl(const QStringList &arguments, QIODevice &out, QIODevice &err) {
    if (WantsHelp(arguments)) {
        Write(out, KvlHelpText());
        return ExitOk;
    }
    if (arguments.value(0) == u"--version") {
        Write(out, Program + QStringLiteral(" ") + QStringLiteral(KORVALEN_VERSION) + u'\n');
        return ExitOk;
    }
    if (arguments.isEmpty())
        return UsageError(err, QStringLiteral("a command is needed"));
    const QString &command = arguments.front();
    const QStringList rest = arguments.mid(1);
    using TCommand = int (*)(const QStringList &, QIODevice &, QIODevice &);
    static constexpr std::array<std::pair<QStringView, TCommand>, 8> commands = {{
        {u"show", Show},
        {u"perft", PerftCommand},
        {u"pgn", PgnCommand},
        {u"list", ListCommand},
        {u"import", ImportCommand},
        {u"fen", FenCommand},
        {u"find", FindCommand},
        {u"open-port", OpenPortCommand},
    }};
    for (const auto &[name, run] : commands) {
        if (command == name)
            return run(rest, out, err);
    }
    return UsageError(err, QStringLiteral("unknown command '%1'").arg(command));
}
