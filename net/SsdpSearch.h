// Looks for Internet Gateway Devices on the LAN: an SSDP search sent to the multicast group,
// and the description URLs ("LOCATION") of the devices that answer, as they come. Blocking,
// for the port mapper's own thread: a router answers within milliseconds, so the first
// answer ends the wait instead of a fixed discovery time.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QUdpSocket>
#include <functional>
#include <memory>

class TSsdpSearch {
public:
    TSsdpSearch();

    // Sends the search (again when called again); false when no socket could be had.
    bool Send();
    // The next device's description URL, waiting until `deadline` or until `stopped` says so
    // (asked every 100 ms); empty when none came. Each URL is told once.
    QByteArray NextLocation(const QDeadlineTimer &deadline, const std::function<bool()> &stopped);

    // The URL an SSDP answer names; empty when it is no answer to a search.
    static QByteArray LocationOf(const QByteArray &answer);

private:
    const std::unique_ptr<QUdpSocket> Socket;
    QList<QByteArray> Told;
};
