// Shared by the window benchmarks: windows with settings files of their own, and presses on
// board squares as the mouse delivers them.
#pragma once

#include "BoardGrid.h"
#include "GameSupport.h"
#include "Main.h"
#include "ServerEndpoint.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

inline QPoint CellCentre(const TMainForm &form, int index) {
    const QPoint cell = form.GridCellOf(index % 8, index / 8);
    return TBoardGrid::CellRect(cell.x(), cell.y()).center();
}

inline void PressBoard(TMainForm &form, int index) {
    const QPointF at = CellCentre(form, index);
    QMouseEvent press(QEvent::MouseButtonPress, at, form.dgBoard->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.dgBoard, &press);
}

// A port that is free now: the system picks it for a probe that closes again at once.
inline quint16 FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::Any, 0))
        return 0;
    return probe.serverPort();
}

inline QByteArray ServerSettings(quint16 port) {
    return "[Network]\r\nPort=" + QByteArray::number(port) + "\r\nLastConnectAs=Server\r\n";
}
inline QByteArray ClientSettings(quint16 port) {
    return "[Network]\r\nPort=" + QByteArray::number(port) + "\r\nLastConnectAs=Client\r\n";
}

// The port the window's server endpoint listens on, 0 when it does not.
inline quint16 ListeningPortOf(const TMainForm &form) {
    return form.ServerSocket->ListeningPort();
}

// A window of its own folder (with the given settings file, if any); its timers are stopped,
// so the benchmark opens the endpoints itself.
struct TBenchWindow {
    explicit TBenchWindow(const QByteArray &settings = {}) : Form(Prepared(Folder, settings)) {
        Form.tmFlicker->stop();
        Form.tmConnect->stop();
    }
    static QString Prepared(const QTemporaryDir &folder, const QByteArray &settings) {
        if (!settings.isEmpty()) {
            QFile file(QDir(folder.path()).filePath(QStringLiteral("Korvalen.ini")));
            if (file.open(QIODevice::WriteOnly))
                file.write(settings);
        }
        return folder.path();
    }
    QTemporaryDir Folder;
    TMainForm Form;
};
