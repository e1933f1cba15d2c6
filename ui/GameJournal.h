// The unfinished game kept in the user's state folder, so that a closed window, a crash, a
// power cut or a new game started by mistake does not lose it. After every change of the game
// the window hands the record over; the journal keeps the last game that has a move and is not
// over, as a saved-game file, and gives it back at the next start. Writing, with its sync to
// the disk, runs on a thread of its own: a move never waits for the disk, and of several
// records handed over meanwhile only the latest is written.
#pragma once

#include "Board.h"

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class TGameJournal {
public:
    // The journal in `folder`, which is made at the first write; what it holds now is read
    // at once. A folder that cannot be written never stops play: the game is then kept only
    // as long as the program runs.
    explicit TGameJournal(const QString &folder);
    // What was handed over is written before the journal goes.
    ~TGameJournal();
    TGameJournal(const TGameJournal &) = delete;
    TGameJournal &operator=(const TGameJournal &) = delete;

    // $XDG_STATE_HOME/Korvalen, or ~/.local/state/Korvalen where that is not set.
    static QString UserFolder();
    QString FileName() const { return Path; }

    // The game kept: the record of an unfinished game, empty when there is none.
    const QStringList &Kept() const { return Record; }
    // The game as it stands after a change. A game with a move that is not over replaces the
    // one kept; an empty game keeps it; the end of the kept game by mate or stalemate takes
    // it away (a finished game of another line leaves it).
    void Keep(const QStringList &record, TGameStatus status);
    // Waits until the file holds what was handed over.
    void Flush();

private:
    void Hand(const QStringList &record); // an empty record takes the file away
    void WriteInTurn();

    const QString Path;
    QStringList Record;
    // Shared with the writer: the latest record not yet written, and whether it is writing.
    std::mutex Lock;
    std::condition_variable Changed;
    std::optional<QStringList> Pending;
    bool Writing = false;
    bool Ending = false;
    std::thread Writer; // started at the first change
};
