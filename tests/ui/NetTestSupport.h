// Shared by the window tests of network play: windows with settings files of their own, and
// a pair of them connected over loopback on a free port.
#pragma once

#include "Main.h"
#include "ServerEndpoint.h"
#include "Shape.h"
#include "UiTestSupport.h"

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The indicator while connected.
inline const QColor Green(0, 128, 0);

// A port that is free now: the system picks it for a probe that closes again at once.
inline quint16 FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::Any, 0))
        return 0;
    return probe.serverPort();
}

inline QByteArray Settings(quint16 port, const QByteArray &more = {}) {
    return "[Network]\r\nPort=" + QByteArray::number(port) + "\r\n" + more;
}

// A window with a settings file and a folder of its own; in the foreground unless told.
struct TNetWindow {
    explicit TNetWindow(const QByteArray &settings) {
        if (!settings.isNull()) {
            QFile file(IniPath());
            if (!file.open(QIODevice::WriteOnly) || file.write(settings) != settings.size())
                qFatal("cannot write the test's settings file");
        }
        Window = std::make_unique<TTestWindow>(Folder.path());
        Window->Form->IsForeground = [this] { return Foreground; };
    }
    TMainForm *operator->() const { return Window->Form.get(); }
    TMainForm &Form() const { return *Window->Form; }
    TScriptedPrompts &Prompts() const { return *Window->Prompts; }
    QString IniPath() const { return QDir(Folder.path()).filePath(QStringLiteral("Korvalen.ini")); }
    QByteArray IniText() const {
        QFile file(IniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Nothing can be written from now on: a folder stands where the file was.
    void MakeSettingsUnwritable() const {
        QFile::remove(IniPath());
        QDir(Folder.path()).mkdir(QStringLiteral("Korvalen.ini"));
    }

    QTemporaryDir Folder;
    std::unique_ptr<TTestWindow> Window;
    bool Foreground = true;
};

// Opens the server's endpoint, then the client's, and waits for both to show the connection.
inline void Connect(const TNetWindow &server, const TNetWindow &client) {
    server->tmConnectTimer();
    QVERIFY(server->ServerSocket->Active());
    client->tmConnectTimer();
    QTRY_COMPARE(client->shConnect->BrushColor(), Green);
    QTRY_COMPARE(server->shConnect->BrushColor(), Green);
}

// A server window and a client window with the same free port, connected.
struct TPair {
    TPair()
        : Port(FreePort()), Server(Settings(Port)),
          Client(Settings(Port, "LastConnectAs=Client\r\n")) {
        Connect(Server, Client);
    }
    quint16 Port;
    TNetWindow Server;
    TNetWindow Client;
};
