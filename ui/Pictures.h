// The program's pictures, drawn from the SVG artwork compiled into the program. Every picture
// is drawn for a device pixel ratio: at 2 a 43 x 43 picture has 86 x 86 pixels of its own, so
// it stays sharp on a screen that scales the window.
#pragma once

#include "Board.h"

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

// Size of every piece picture, in the window's pixels.
inline constexpr int PiecePictureSize = 43;

// One piece on a transparent background, PiecePictureSize in the window's pixels.
QPixmap PiecePicture(TColor color, TKind kind, qreal pixelRatio = 1);

// The twelve board pictures: black pawn, rook, knight, bishop, queen, king, then the same six
// in white (indices 6..11).
QList<QPixmap> BoardPictures(qreal pixelRatio = 1);
// Picture index in BoardPictures() for a piece; -1 for a colour or kind that has none.
int BoardPictureIndex(TColor color, TKind kind);

// The eight pictures of the promotion dialog: black rook, knight, bishop, queen, then the same
// four in white (indices 4..7).
QList<QPixmap> DialogPictures(qreal pixelRatio = 1);

// A 20 x 18 button picture by name ("new-game", "load", "save", "take-back", "help"); drawn
// afresh from its artwork for whatever size and pixel ratio a button asks.
QIcon ButtonIcon(const QString &name);
// The program icon, in the usual task-bar and title-bar sizes.
QIcon ProgramIcon();
