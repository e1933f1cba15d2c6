// Build-time helper: renders the program icon's SVG to a square PNG of the given size, so the
// hicolor theme gets every raster size from the one drawing.
//
//   korvalen-render-icon INPUT.svg SIZE OUTPUT.png
//
// Exit status: 0 written, 1 the SVG cannot be read or the PNG cannot be written, 2 usage.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>
#include <cstdio>

namespace {

// Qt's own start-up chatter on a machine without a session (no XDG_RUNTIME_DIR and the like)
// would only clutter the build log; real failures are reported below with their own words.
void QuietMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

QImage Render(QSvgRenderer &renderer, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return image;
}

} // namespace

int main(int argc, char *argv[]) {
    // A build machine has no display; the offscreen platform is all a QPainter on a QImage needs.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    const QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    bool sizeOk = false;
    const int size = args.size() == 4 ? args[2].toInt(&sizeOk) : 0;
    if (!sizeOk || size < 1 || size > 4096) {
        std::fprintf(stderr, "usage: korvalen-render-icon INPUT.svg SIZE OUTPUT.png\n");
        return 2;
    }

    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "korvalen-render-icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    if (!Render(renderer, size).save(args[3], "PNG")) {
        std::fprintf(stderr, "korvalen-render-icon: cannot write %s\n", qPrintable(args[3]));
        return 1;
    }
    return 0;
}
