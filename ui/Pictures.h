// The program's pictures, drawn from the SVG artwork compiled into the program.
#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>
#include <cstdint>

// Size of every piece picture.
inline constexpr int PiecePictureSize = 43;

// One piece, drawn at PiecePictureSize on a transparent background.
QPixmap PiecePicture(std::uint8_t color, std::uint8_t kind);

// The twelve board pictures: black pawn, rook, knight, bishop, queen, king, then the same six
// in white (indices 6..11).
QList<QPixmap> BoardPictures();
// Picture index in BoardPictures() for a piece; -1 for a colour or kind that has none.
int BoardPictureIndex(std::uint8_t color, std::uint8_t kind);

// The eight pictures of the promotion dialog: black rook, knight, bishop, queen, then the same
// four in white (indices 4..7).
QList<QPixmap> DialogPictures();

// A 20 x 18 button picture by name ("new-game", "load", "save", "take-back", "help").
QIcon ButtonIcon(const QString &name);
// The program icon, in the usual task-bar and title-bar sizes.
QIcon ProgramIcon();
