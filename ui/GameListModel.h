// The games of a PGN collection as a table: number, players, result, date, event, half-moves,
// and why a game cannot be loaded. Rows are index entries; tags are decoded only when shown.
#pragma once

#include "PgnIndex.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <memory>
#include <vector>

class TGameListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn {
        NumberColumn,
        WhiteColumn,
        BlackColumn,
        ResultColumn,
        DateColumn,
        EventColumn,
        PliesColumn,
        NoteColumn,
        ColumnCount
    };
    // Players and event in one text, which the filter looks in.
    static constexpr int SearchRole = Qt::UserRole;

    explicit TGameListModel(std::shared_ptr<const TPgnSource> source, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void AddGames(const std::vector<TPgnIndexEntry> &games);
    void FinishAdding(); // the list is complete: its spare room is given back
    void MarkChecked(qsizetype checked, const QList<std::pair<qsizetype, QString>> &problems);

    const TPgnSource &Source() const { return *SourceBytes; }
    const TPgnIndexEntry &Game(qsizetype row) const { return Games[row]; }
    qsizetype CheckedCount() const { return Checked; }
    qsizetype ProblemCount() const { return Problems.size(); }
    // The reason a game cannot be loaded; empty for one that can or is not checked yet.
    QString Problem(qsizetype row) const { return Problems.value(row); }

private:
    QVariant Display(qsizetype row, int column) const;

    const std::shared_ptr<const TPgnSource> SourceBytes;
    std::vector<TPgnIndexEntry> Games;
    qsizetype Checked = 0;
    QHash<qsizetype, QString> Problems; // only the games that cannot be loaded
    QIcon ProblemIcon;
};
