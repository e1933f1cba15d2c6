#include "GameJournal.h"

#include "Record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace {

const QString JournalName = QStringLiteral("unfinished-game.kvl");

bool IsOver(TGameStatus status) {
    return status == TGameStatus::Mate || status == TGameStatus::Stalemate;
}

// A journal that does not hold a playable, unfinished game (cut short by a full disk, or
// edited by hand) is no game to offer.
QStringList ReadKeptGame(const QString &path) {
    const std::optional<QByteArray> bytes = ReadSavedGameBytes(path);
    if (!bytes)
        return {};
    TReplay replay = ReplaySavedGame(*bytes);
    if (replay.Bad || replay.Game->MoveRecord.isEmpty() || IsOver(replay.Game->Status()))
        return {};
    return replay.Game->MoveRecord;
}

} // namespace

TGameJournal::TGameJournal(const QString &folder)
    : Path(QDir(folder).filePath(JournalName)), Record(ReadKeptGame(Path)) {}

TGameJournal::~TGameJournal() {
    if (!Writer.joinable())
        return;
    {
        const std::lock_guard guard(Lock);
        Ending = true;
    }
    Changed.notify_all();
    Writer.join();
}

QString TGameJournal::UserFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // The XDG base directories: a relative path there is to be ignored.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("Korvalen"));
}

void TGameJournal::Keep(const QStringList &record, TGameStatus status) {
    if (IsOver(status)) {
        // Only the game that has just ended goes: its record began with the one kept.
        const bool kept = !Record.isEmpty() && record.size() > Record.size() &&
                          record.mid(0, Record.size()) == Record;
        if (kept) {
            Record.clear();
            Hand({});
        }
        return;
    }
    if (record.isEmpty() || record == Record)
        return;
    Record = record;
    Hand(Record);
}

void TGameJournal::Flush() {
    std::unique_lock guard(Lock);
    Changed.wait(guard, [this] { return !Pending && !Writing; });
}

// The list is shared, not copied: the writer only reads it.
void TGameJournal::Hand(const QStringList &record) {
    {
        const std::lock_guard guard(Lock);
        Pending = record;
    }
    Changed.notify_all();
    if (!Writer.joinable())
        Writer = std::thread([this] { WriteInTurn(); });
}

// What fails here fails quietly: the game goes on, and the next change tries again.
void TGameJournal::WriteInTurn() {
    std::unique_lock guard(Lock);
    for (;;) {
        Changed.wait(guard, [this] { return Pending || Ending; });
        if (!Pending)
            return; // ending, with everything written
        const QStringList record = *std::exchange(Pending, std::nullopt);
        Writing = true;
        guard.unlock();
        if (record.isEmpty()) {
            QFile::remove(Path);
        } else if (QDir().mkpath(QFileInfo(Path).absolutePath())) {
            WriteSavedGame(Path, record);
        }
        guard.lock();
        Writing = false;
        Changed.notify_all();
    }
}
