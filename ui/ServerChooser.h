// The servers found on the LAN, offered under the address field: a small arrow button beside
// it (or Alt+Down, F4 in the field) asks for a fresh probe and opens the list; picking a server
// types its address once, as a typed change would, and the next tick dials it. Typing stays
// the way in. While the field is empty and has not been edited since the client role was
// chosen, the one free server found, when there is exactly one, is filled in by itself once
// the answers to a probe have come.
#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QMenu;
class QTimer;
class QToolButton;
class TNetSession;
struct TFoundServer;

class TServerChooser : public QObject {
    Q_OBJECT

public:
    // Lives as long as the field's parent, where it puts its button, just right of the field.
    TServerChooser(QLineEdit &field, TNetSession &session);

    // «192.168.1.20 — kitchen-pc (свободен)», «(занят)» for a server that has a client.
    static QString EntryText(const TFoundServer &server);

    void ShowList();
    QToolButton *Button() const { return btServers; }
    QMenu *List() const { return mnServers; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ServersFound();
    void FillList();
    void FillFieldByItself();

    QLineEdit &Field;
    TNetSession &Session;
    QToolButton *btServers; // children of the field's parent
    QMenu *mnServers;
    QTimer *Settle;      // from the last change of the list to filling the field
    bool Edited = false; // the user edited the field since the client role was chosen
};
