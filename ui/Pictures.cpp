#include "Pictures.h"

#include "Board.h"

#include <QPainter>
#include <QSvgRenderer>
#include <array>

namespace {

QPixmap RenderSvg(const QString &path, QSize size) {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return picture;
}

QString KindName(std::uint8_t kind) {
    static const std::array<const char *, 6> names = {"king",   "queen",  "rook",
                                                      "knight", "bishop", "pawn"};
    return QString::fromLatin1(names.at(kind));
}

} // namespace

QPixmap PiecePicture(std::uint8_t color, std::uint8_t kind) {
    const QString colorName = color == White ? QStringLiteral("white") : QStringLiteral("black");
    return RenderSvg(QStringLiteral(":/pieces/%1-%2.svg").arg(colorName, KindName(kind)),
                     QSize(PiecePictureSize, PiecePictureSize));
}

QList<QPixmap> BoardPictures() {
    static constexpr std::array<std::uint8_t, 6> order = {Pawn, Rook, Knight, Bishop, Queen, King};
    QList<QPixmap> pictures;
    for (const std::uint8_t color : {Black, White})
        for (const std::uint8_t kind : order)
            pictures.append(PiecePicture(color, kind));
    return pictures;
}

int BoardPictureIndex(std::uint8_t color, std::uint8_t kind) {
    static constexpr std::array<int, 6> base = {5, 4, 1, 2, 3, 0}; // by kind, King first
    if (kind >= base.size() || (color != White && color != Black))
        return -1;
    return base.at(kind) + (color == White ? 6 : 0);
}

QList<QPixmap> DialogPictures() {
    QList<QPixmap> pictures;
    for (const std::uint8_t color : {Black, White})
        for (const std::uint8_t kind : {Rook, Knight, Bishop, Queen})
            pictures.append(PiecePicture(color, kind));
    return pictures;
}

QIcon ButtonIcon(const QString &name) {
    return QIcon(RenderSvg(QStringLiteral(":/buttons/%1.svg").arg(name), QSize(20, 18)));
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(RenderSvg(QStringLiteral(":/icons/korvalen.svg"), QSize(side, side)));
    return icon;
}
