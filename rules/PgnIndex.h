// A collection of PGN games indexed without playing a move: where each game's text lies in the
// bytes, where its main tags lie in that text, and how many half-moves its main line holds. The
// index keeps positions, never copies, so a file of a hundred thousand games costs little more
// than its own (mapped) pages; a game's text goes to ReadPgnGames only when it is wanted.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The tags the index keeps, in the order of the list's columns.
enum class TPgnTag : std::uint8_t { White, Black, Result, Date, Event };
inline constexpr int PgnTagCount = 5;

// One game of a collection: 48 bytes.
struct TPgnIndexEntry {
    qint64 Start = 0;         // first byte of the game's text in the collection
    std::uint32_t Length = 0; // bytes of its text
    std::uint32_t Plies = 0;  // half-moves of the main line
    // Each tag's value (the bytes between its quotes, escapes included), from Start; a tag the
    // game lacks has length 0.
    std::array<std::uint32_t, PgnTagCount> TagStart{};
    std::array<std::uint16_t, PgnTagCount> TagLength{};
    std::uint8_t EscapedTags = 0; // bit per tag: its value holds a backslash escape
};

// What a walk of the bytes may also be told, as it meets them: each tag of a game (its value's
// bytes between the quotes, escapes kept) and each move of its main line.
class TPgnTokens {
public:
    virtual ~TPgnTokens() = default;
    virtual void Tag(QByteArrayView name, QByteArrayView value) = 0;
    virtual void Move(QByteArrayView san) = 0;
};

// Finds the games of PGN bytes one by one, as ReadPgnGames splits the same text: a game ends
// with its termination marker, or where the tags of the next one begin after its moves.
class TPgnIndexer {
public:
    explicit TPgnIndexer(QByteArrayView bytes, TPgnTokens *tokens = nullptr)
        : Bytes(bytes), Tokens(tokens) {}

    // The next game, or nothing once the bytes are used up.
    std::optional<TPgnIndexEntry> Next();
    // How far the bytes have been looked at.
    qint64 Position() const { return Pos; }

private:
    QByteArrayView Bytes;
    TPgnTokens *Tokens;
    qint64 Pos = 0;
    // The game being gathered.
    TPgnIndexEntry Current;
    bool Started = false;
    bool HasContent = false;
    int Depth = 0; // nesting of variations
    std::uint8_t TagsSeen = 0;

    char At(qint64 i) const { return i < Bytes.size() ? Bytes[i] : '\0'; }
    void SkipPast(char end);
    void Begin();
    void ReadTag();
    bool ReadSymbol(); // true for a termination marker
    std::optional<TPgnIndexEntry> Finish(qint64 end);
};

// Every game of the bytes.
std::vector<TPgnIndexEntry> IndexPgn(QByteArrayView bytes);
// More than one game: the bytes are a collection to choose from.
bool HoldsSeveralPgnGames(QByteArrayView bytes);

struct TPgnFailure;
// Reads the first game of PGN bytes and plays it through: nothing when it plays to its end,
// otherwise why it does not (a text without a game is TCause::NoGame).
std::optional<TPgnFailure> FailureOfPgnGame(QByteArrayView text);

// The bytes of a collection: a file mapped into memory (read, where it cannot be mapped), or a
// text handed over whole. Shared read-only between the threads that index and check it.
class TPgnSource {
public:
    // Nothing when the file cannot be opened; *error then says why.
    static std::shared_ptr<const TPgnSource> OfFile(const QString &path, QString *error);
    static std::shared_ptr<const TPgnSource> OfBytes(QByteArray bytes);

    TPgnSource(const TPgnSource &) = delete;
    TPgnSource &operator=(const TPgnSource &) = delete;
    ~TPgnSource();

    QByteArrayView Bytes() const { return {Data, Size}; }
    QByteArrayView GameBytes(const TPgnIndexEntry &game) const;
    // A tag's value as the user reads it: escapes undone, UTF-8 or else Latin-1.
    QString Tag(const TPgnIndexEntry &game, TPgnTag tag) const;

private:
    TPgnSource() = default;
    QFile File;
    QByteArray Owned;
    const char *Data = nullptr;
    qint64 Size = 0;
};
