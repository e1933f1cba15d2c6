// The game's port opened on the home router, so that a friend across the internet reaches the
// server copy: the check box «Открыть порт на роутере» and the line beside it, which says what
// is going on, the address to give the friend, or why it did not work and what to do instead.
// The box is off at every start and usable only in the server role; unticking it, the client
// role and a change of the port give the mapping back (the program's end too, when the mapper
// goes with the session). While the port is open the server keeps one peer, and the line names
// whoever connected: anyone on the internet can dial an open port.
#pragma once

#include "PortMapper.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

class QCheckBox;
class QLabel;
class TNetSession;

class TPortOpening : public QObject {
    Q_OBJECT

public:
    // Lives as long as the box's parent; the box and the line are the layout's.
    TPortOpening(QCheckBox &box, QLabel &stateLine, TNetSession &session, TPortMapper &mapper);

    // The user ticked or unticked the box.
    void BoxClicked();
    // The role was chosen: the box is the server's only.
    void RoleChosen(bool server);

protected:
    // A double click on the address line takes the whole address (a word stops at a dot).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class TStage { Idle, Opening, Open, Closing };

    void Open();
    void Close();
    void Opened(const TPortMapping &mapping);
    void Failed(TPortFailure failure, const QString &detail);
    void Closed();
    void PortChanged();
    void PeerAccepted(const QHostAddress &address);
    void ConnectionClosed();
    void GiveUp(const QString &reason);
    void ShowOpen();
    void SelectAddress();
    void Show(const QString &text);

    QCheckBox &Box;
    QLabel &StateLine;
    TNetSession &Session;
    TPortMapper &Mapper;
    TStage Stage = TStage::Idle;
    QHostAddress External; // what the friend dials, while open
    QString Peer;          // the last peer accepted while open
    bool PeerConnected = false;
};
