#include "Pictures.h"

#include "Board.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <array>
#include <cmath>

namespace {

// The artwork drawn into size pixels of the window at the given ratio: the picture has
// size x ratio pixels of its own.
QPixmap RenderSvg(const QString &path, QSize size, qreal pixelRatio = 1) {
    QPixmap picture(QSize(qRound(size.width() * pixelRatio), qRound(size.height() * pixelRatio)));
    picture.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(picture.size())));
    painter.end();
    picture.setDevicePixelRatio(pixelRatio);
    return picture;
}

// An icon that draws its artwork for the pixels asked, instead of enlarging one picture.
class TSvgIconEngine : public QIconEngine {
public:
    explicit TSvgIconEngine(QString path) : Path(std::move(path)) {}

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override {
        // A button repaints its picture at every hover; the drawing is kept.
        const QString key = QStringLiteral("%1 %2x%3 %4")
                                .arg(Path)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(int(mode));
        QPixmap picture;
        if (QPixmapCache::find(key, &picture))
            return picture;
        picture = RenderSvg(Path, size);
        if (mode == QIcon::Disabled || mode == QIcon::Selected) {
            const QStyleOption option;
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        QPixmapCache::insert(key, picture);
        return picture;
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal) override {
        return pixmap(size, mode, state); // size is already in the screen's pixels
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatioF();
        QPixmap picture =
            pixmap(QSize(qRound(rect.width() * ratio), qRound(rect.height() * ratio)), mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), picture);
    }

    QIconEngine *clone() const override { return new TSvgIconEngine(Path); }
    QString key() const override { return QStringLiteral("korvalen-svg"); }

private:
    const QString Path;
};

QString KindName(TKind kind) {
    static const std::array<const char *, 6> names = {"king",   "queen",  "rook",
                                                      "knight", "bishop", "pawn"};
    return QString::fromLatin1(names.at(kind));
}

} // namespace

QPixmap PiecePicture(TColor color, TKind kind, qreal pixelRatio) {
    const QString colorName = color == White ? QStringLiteral("white") : QStringLiteral("black");
    return RenderSvg(QStringLiteral(":/pieces/%1-%2.svg").arg(colorName, KindName(kind)),
                     QSize(PiecePictureSize, PiecePictureSize), pixelRatio);
}

QList<QPixmap> BoardPictures(qreal pixelRatio) {
    static constexpr std::array<TKind, 6> order = {Pawn, Rook, Knight, Bishop, Queen, King};
    QList<QPixmap> pictures;
    for (const TColor color : {Black, White})
        for (const TKind kind : order)
            pictures.append(PiecePicture(color, kind, pixelRatio));
    return pictures;
}

int BoardPictureIndex(TColor color, TKind kind) {
    static constexpr std::array<int, 6> base = {5, 4, 1, 2, 3, 0}; // by kind, King first
    if (kind >= base.size() || (color != White && color != Black))
        return -1;
    return base.at(kind) + (color == White ? 6 : 0);
}

QList<QPixmap> DialogPictures(qreal pixelRatio) {
    QList<QPixmap> pictures;
    for (const TColor color : {Black, White})
        for (const TKind kind : {Rook, Knight, Bishop, Queen})
            pictures.append(PiecePicture(color, kind, pixelRatio));
    return pictures;
}

QIcon ButtonIcon(const QString &name) {
    return QIcon(new TSvgIconEngine(QStringLiteral(":/buttons/%1.svg").arg(name)));
}

QIcon ProgramIcon() {
    QIcon icon;
    // 20, 24 and 40 serve title bars and task bars of screens scaled by 1.25, 1.5 and 2.5.
    for (const int side : {16, 20, 24, 32, 40, 48, 64, 128, 256})
        icon.addPixmap(RenderSvg(QStringLiteral(":/icons/korvalen.svg"), QSize(side, side)));
    return icon;
}
