#include "CollectionScan.h"

#include "GameFiles.h"
#include "Pgn.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

// The first games show at once; later ones come in batches a few times a second, so the list
// is not sorted and filtered afresh for every game.
constexpr qsizetype FirstBatch = 200;
constexpr qint64 BatchInterval = 100; // ms

} // namespace

TCollectionScan::TCollectionScan(std::shared_ptr<const TPgnSource> source, QObject *parent)
    : QObject(parent), Source(std::move(source)) {}

TCollectionScan::~TCollectionScan() {
    Stopping = true;
    if (Thread)
        Thread->wait();
}

void TCollectionScan::Start() {
    Thread.reset(QThread::create([this] { Run(); }));
    Thread->start(QThread::LowPriority);
}

template <typename F> void TCollectionScan::Post(F &&work) {
    QMetaObject::invokeMethod(this, std::forward<F>(work), Qt::QueuedConnection);
}

void TCollectionScan::Run() {
    Index();
    if (!Stopping)
        Check();
}

void TCollectionScan::Index() {
    TPgnIndexer indexer(Source->Bytes());
    std::vector<TPgnIndexEntry> batch;
    qsizetype found = 0;
    QElapsedTimer sincePost;
    sincePost.start();
    const auto post = [this, &batch, &indexer, &sincePost] {
        Post([this, games = std::move(batch), done = indexer.Position()] {
            emit GamesFound(games, done);
        });
        batch = {};
        sincePost.restart();
    };
    while (!Stopping) {
        const std::optional<TPgnIndexEntry> game = indexer.Next();
        if (!game)
            break;
        batch.push_back(*game);
        ++found;
        if (found == FirstBatch || sincePost.elapsed() >= BatchInterval)
            post();
    }
    if (!batch.empty())
        post();
    Post([this] { emit IndexFinished(); });
}

// A second pass of the indexer gives the games again, so the thread keeps no copy of the list.
void TCollectionScan::Check() {
    TPgnIndexer indexer(Source->Bytes());
    QList<std::pair<qsizetype, QString>> problems;
    qsizetype checked = 0;
    QElapsedTimer sincePost;
    sincePost.start();
    const auto post = [this, &problems, &checked, &sincePost] {
        Post([this, bad = std::move(problems), checked] { emit GamesChecked(checked, bad); });
        problems = {};
        sincePost.restart();
    };
    while (!Stopping) {
        const std::optional<TPgnIndexEntry> game = indexer.Next();
        if (!game)
            break;
        if (const std::optional<TPgnFailure> failure = FailureOfPgnGame(Source->GameBytes(*game)))
            problems.append({checked, PgnFailureNote(*failure)});
        ++checked;
        if (sincePost.elapsed() >= BatchInterval)
            post();
    }
    if (Stopping)
        return;
    post();
    Post([this] { emit CheckFinished(); });
}
