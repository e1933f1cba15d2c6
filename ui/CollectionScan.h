// The work on a PGN collection that runs beside the window: indexing its games, then playing
// each one through to find those that cannot be loaded. One thread of its own; what it finds
// reaches the GUI thread in batches, as signals of this object, so the list fills as it goes.
#pragma once

#include "PgnIndex.h"

#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

class QThread;

class TCollectionScan : public QObject {
    Q_OBJECT

public:
    explicit TCollectionScan(std::shared_ptr<const TPgnSource> source, QObject *parent = nullptr);
    ~TCollectionScan() override; // stops the thread and waits for it

    void Start();

signals:
    // Games in file order, continuing the ones found before; done: bytes looked at so far.
    void GamesFound(const std::vector<TPgnIndexEntry> &games, qint64 done);
    void IndexFinished();
    // Games before `checked` (counted from 0) have been played through; the ones in
    // `problems` cannot be, with the reason in the user's words.
    void GamesChecked(qsizetype checked, const QList<std::pair<qsizetype, QString>> &problems);
    void CheckFinished();

private:
    void Run();
    void Index();
    void Check();
    // Hands work to the GUI thread; dropped unseen when this object is gone.
    template <typename F> void Post(F &&work);

    const std::shared_ptr<const TPgnSource> Source;
    std::unique_ptr<QThread> Thread;
    std::atomic_bool Stopping = false;
};
