// The unfinished game in the window: handed to the journal after every change, offered at
// start by a line over the board, and brought back by its command as a loaded file is.
#include "BoardNotices.h"
#include "GameFiles.h"
#include "GameJournal.h"
#include "Main.h"

#include <QPushButton>

namespace {

const QString WaitingGameText =
    QStringLiteral("Прерванная партия сохранена — Ctrl+Shift+T вернёт её");

} // namespace

void TMainForm::UseJournal(const QString &folder) {
    Journal = std::make_unique<TGameJournal>(folder);
    if (!Journal->Kept().isEmpty() && CurrentGame->MoveRecord.isEmpty())
        BoardView->Notices().Set(TBoardNotices::TKind::WaitingGame, WaitingGameText);
    btRestore->setEnabled(CanRestore());
    DescribeBoard();
}

// The game on the board is never offered back to itself.
bool TMainForm::CanRestore() const {
    return Journal && !Journal->Kept().isEmpty() && Journal->Kept() != CurrentGame->MoveRecord;
}

// The line about the waiting game goes once the board is pressed or the game has a move.
void TMainForm::JournalGame() {
    if (!Journal)
        return;
    Journal->Keep(CurrentGame->MoveRecord, CurrentGame->Status());
    if (!CurrentGame->MoveRecord.isEmpty())
        BoardView->Notices().Set(TBoardNotices::TKind::WaitingGame, {});
    btRestore->setEnabled(CanRestore());
}

void TMainForm::btRestoreClick() {
    BoardView->Notices().Set(TBoardNotices::TKind::WaitingGame, {});
    if (!CanRestore()) {
        DescribeBoard();
        return;
    }
    TGameText game;
    game.Source = QStringLiteral("Прерванная партия");
    game.Lines = Journal->Kept(); // a copy: loading changes what the journal keeps
    LoadGame(game);
}
