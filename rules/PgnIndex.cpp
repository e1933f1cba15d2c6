#include "PgnIndex.h"

#include "Pgn.h"

#include <QFile>
#include <QUtf8StringView>
#include <algorithm>
#include <limits>

namespace {

constexpr std::array<QByteArrayView, PgnTagCount> TagNames = {"White", "Black", "Result", "Date",
                                                              "Event"};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsLetterOrDigit(char c) {
    const auto byte = static_cast<unsigned char>(c);
    // Bytes above ASCII belong to letters of UTF-8 or Latin-1 text, as the reader sees them.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           byte >= 0x80;
}

bool IsSymbolByte(char c) {
    // Not strchr: it finds a NUL byte too, at the end of the list.
    return IsLetterOrDigit(c) || QByteArrayView("_+#=:-/!?").contains(c);
}

bool IsResult(QByteArrayView token) {
    return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "\xc2\xbd-\xc2\xbd" ||
           token == "\xbd-\xbd";
}

bool AllOf(QByteArrayView token, bool (*test)(char)) {
    return std::all_of(token.begin(), token.end(), test);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsMark(char c) {
    return c == '!' || c == '?';
}

// A tag as DecodePgn decodes a file: UTF-8, or Latin-1 when it is not. Sorting and filtering a
// long list decode every name many times, so plain ASCII takes the short way.
QString DecodedTag(QByteArrayView bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return !(c & 0x80); }))
        return QString::fromLatin1(bytes);
    return QUtf8StringView(bytes).isValidUtf8() ? QString::fromUtf8(bytes)
                                                : QString::fromLatin1(bytes);
}

// A tag value's bytes without its backslash escapes.
QByteArray Unescaped(QByteArrayView raw) {
    QByteArray plain;
    plain.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size())
            ++i;
        plain.append(raw[i]);
    }
    return plain;
}

// The tags that decide where a game starts, and the moves of its main line, straight from the
// bytes; whether any byte beyond ASCII stands outside a tag's value, where the reader (which
// sees characters, not bytes) might split the text otherwise.
class TGameTokens : public TPgnTokens {
public:
    explicit TGameTokens(QByteArrayView text) : Text(text) {}

    TPgnGame Start;
    std::vector<QByteArrayView> Moves;

    void Tag(QByteArrayView name, QByteArrayView value) override {
        Values.push_back(value);
        if (name == "FEN" || name == "SetUp" || name == "Variant")
            Start.Tags.append({QString::fromLatin1(name), Decoded(Unescaped(value))});
    }
    void Move(QByteArrayView san) override { Moves.push_back(san); }

    bool OnlyAsciiOutsideTagValues() const {
        auto value = Values.cbegin();
        for (const char &c : Text) {
            if (!(c & 0x80))
                continue;
            while (value != Values.cend() && value->data() + value->size() <= &c)
                ++value;
            if (value == Values.cend() || &c < value->data())
                return false;
        }
        return true;
    }

private:
    // As DecodePgn decodes the whole text: UTF-8 when all of it is, Latin-1 otherwise.
    QString Decoded(const QByteArray &bytes) const {
        return Utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    }

    QByteArrayView Text;
    bool Utf8 = QUtf8StringView(Text).isValidUtf8();
    std::vector<QByteArrayView> Values; // in the order of the text
};

template <typename T> T Clamped(qint64 value) {
    return static_cast<T>(std::min<qint64>(value, std::numeric_limits<T>::max()));
}

} // namespace

void TPgnIndexer::SkipPast(char end) {
    const qsizetype found = Bytes.indexOf(end, Pos);
    Pos = found < 0 ? Bytes.size() : found + 1;
}

void TPgnIndexer::Begin() {
    if (!Started) {
        Started = true;
        Current.Start = Pos;
    }
}

std::optional<TPgnIndexEntry> TPgnIndexer::Finish(qint64 end) {
    std::optional<TPgnIndexEntry> game;
    if (HasContent) {
        Current.Length = Clamped<std::uint32_t>(end - Current.Start);
        game = Current;
    }
    Current = {};
    Started = false;
    HasContent = false;
    Depth = 0;
    TagsSeen = 0;
    return game;
}

void TPgnIndexer::ReadTag() {
    ++Pos; // '['
    while (IsSpace(At(Pos)))
        ++Pos;
    const qint64 nameStart = Pos;
    while (Pos < Bytes.size() && (IsLetterOrDigit(At(Pos)) || At(Pos) == '_'))
        ++Pos;
    const QByteArrayView name = Bytes.sliced(nameStart, Pos - nameStart);
    while (IsSpace(At(Pos)))
        ++Pos;
    qint64 valueStart = Pos;
    bool escaped = false;
    if (At(Pos) == '"') {
        valueStart = ++Pos;
        for (; Pos < Bytes.size() && At(Pos) != '"' && At(Pos) != '\n'; ++Pos) {
            if (At(Pos) == '\\' && Pos + 1 < Bytes.size()) {
                escaped = true;
                ++Pos;
            }
        }
    }
    const qint64 valueEnd = Pos;
    SkipPast(']');
    if (name.isEmpty())
        return;
    HasContent = true;
    if (Tokens)
        Tokens->Tag(name, Bytes.sliced(valueStart, valueEnd - valueStart));
    // The first of two tags of one name counts, as TPgnGame::Tag reads it.
    for (int tag = 0; tag < PgnTagCount; ++tag) {
        const std::uint8_t bit = 1u << tag;
        if (name != TagNames[tag] || (TagsSeen & bit))
            continue;
        TagsSeen |= bit;
        Current.TagStart[tag] = Clamped<std::uint32_t>(valueStart - Current.Start);
        Current.TagLength[tag] = Clamped<std::uint16_t>(valueEnd - valueStart);
        if (escaped)
            Current.EscapedTags |= bit;
    }
}

bool TPgnIndexer::ReadSymbol() {
    const qint64 start = Pos;
    while (Pos < Bytes.size() && IsSymbolByte(At(Pos)))
        ++Pos;
    const QByteArrayView token = Bytes.sliced(start, Pos - start);
    if (Depth > 0 || AllOf(token, IsDigit) || AllOf(token, IsMark))
        return false;
    HasContent = true;
    if (IsResult(token))
        return true;
    if (Tokens)
        Tokens->Move(token);
    ++Current.Plies;
    return false;
}

// Mirrors the reader's scanner step by step, on bytes: blanks and move-number dots, comments,
// escape lines, variations, tags, NAGs, "*", the old "e.p." remark and symbols.
std::optional<TPgnIndexEntry> TPgnIndexer::Next() {
    while (Pos < Bytes.size()) {
        const char c = At(Pos);
        const bool lineStart = Pos == 0 || At(Pos - 1) == '\n';
        if (IsSpace(c) || c == '.') {
            ++Pos;
        } else if (c == ';' || (c == '%' && lineStart)) {
            SkipPast('\n');
        } else if (c == '{') {
            SkipPast('}');
        } else if (c == '(') {
            Begin();
            ++Depth;
            ++Pos;
        } else if (c == ')') {
            Begin();
            Depth = std::max(0, Depth - 1);
            ++Pos;
        } else if (c == '[' && Depth == 0) {
            // A new game whose predecessor had moves but no termination marker.
            if (Current.Plies > 0)
                return Finish(Pos);
            Begin();
            ReadTag();
        } else if (c == '$') {
            Begin();
            ++Pos;
            while (IsDigit(At(Pos)))
                ++Pos;
        } else if (c == '*') {
            Begin();
            ++Pos;
            if (Depth == 0) {
                HasContent = true;
                return Finish(Pos);
            }
        } else if (Bytes.sliced(Pos).startsWith("e.p.")) {
            Pos += 4;
        } else if (IsSymbolByte(c)) {
            Begin();
            if (ReadSymbol())
                return Finish(Pos);
        } else {
            ++Pos; // a stray byte that belongs to no token
        }
    }
    return Finish(Bytes.size());
}

std::vector<TPgnIndexEntry> IndexPgn(QByteArrayView bytes) {
    std::vector<TPgnIndexEntry> games;
    TPgnIndexer indexer(bytes);
    while (std::optional<TPgnIndexEntry> game = indexer.Next())
        games.push_back(*game);
    return games;
}

bool HoldsSeveralPgnGames(QByteArrayView bytes) {
    TPgnIndexer indexer(bytes);
    return indexer.Next() && indexer.Next();
}

std::optional<TPgnFailure> FailureOfPgnGame(QByteArrayView text) {
    // The usual game goes without decoding its text into characters.
    TGameTokens tokens(text);
    const bool found = TPgnIndexer(text, &tokens).Next().has_value();
    if (found && tokens.OnlyAsciiOutsideTagValues())
        return CheckPgnMoves(tokens.Start, tokens.Moves);
    const QList<TPgnGame> games = ReadPgnGames(DecodePgn(text.toByteArray()));
    if (games.isEmpty()) {
        TPgnFailure failure;
        failure.Cause = TPgnFailure::TCause::NoGame;
        failure.Reason = QStringLiteral("no game in the text");
        return failure;
    }
    return CheckPgnGame(games.constFirst());
}

std::shared_ptr<const TPgnSource> TPgnSource::OfFile(const QString &path, QString *error) {
    // Read once rather than mapped: a file that another program cuts short while its list is
    // open would take the mapped pages with it, and the next row drawn would crash the program.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return nullptr;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return nullptr;
    }
    return OfBytes(std::move(bytes));
}

std::shared_ptr<const TPgnSource> TPgnSource::OfBytes(QByteArray bytes) {
    std::shared_ptr<TPgnSource> source(new TPgnSource);
    source->Owned = std::move(bytes);
    source->Data = source->Owned.constData();
    source->Size = source->Owned.size();
    return source;
}

TPgnSource::~TPgnSource() = default;

QByteArrayView TPgnSource::GameBytes(const TPgnIndexEntry &game) const {
    return Bytes().sliced(game.Start, game.Length);
}

QString TPgnSource::Tag(const TPgnIndexEntry &game, TPgnTag tag) const {
    const int at = static_cast<int>(tag);
    const QByteArrayView text = GameBytes(game);
    const qsizetype start = std::min<qsizetype>(game.TagStart[at], text.size());
    const QByteArrayView raw =
        text.sliced(start, std::min<qsizetype>(game.TagLength[at], text.size() - start));
    return DecodedTag(game.EscapedTags & (1u << at) ? Unescaped(raw) : raw.toByteArray());
}
