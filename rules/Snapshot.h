// A copy of everything a played move changes, so that a search can take moves back without
// replaying the whole record.
#pragma once

#include "Board.h"

#include <QString>
#include <QStringList>
#include <array>

class TPositionSnapshot {
public:
    explicit TPositionSnapshot(const TGame &game);

    // Puts the game back as it was when the snapshot was taken. Valid only while the game has
    // not been set up afresh since (Reset, Clear or SetUpPieces release the pieces it names).
    void Restore(TGame &game) const;

private:
    std::array<TPieces *, 64> Pieces{};
    std::array<TKind, 64> Kinds{}; // a promotion changes a piece's kind in place
    TGameState State;
    QString GameMessage;
};
