// The games of a PGN collection to pick one from: a table that fills while the file is
// indexed, a filter on players and event that narrows it as it is typed, and a mark on each
// game that cannot be loaded. Enter or a double click picks the current game, Escape none.
#pragma once

#include "PgnIndex.h"

#include <QDialog>
#include <memory>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class TCollectionScan;
class TGameListModel;

// A game picked from the list: its number in the collection (from 1) and its text.
struct TPickedGame {
    qsizetype Number = 0;
    QByteArray Text;
};

class TGameListDialog : public QDialog {
    Q_OBJECT

public:
    // sourceName: the file or the clipboard, as the load boxes name them.
    TGameListDialog(std::shared_ptr<const TPgnSource> source, const QString &sourceName,
                    QWidget *parent = nullptr);
    ~TGameListDialog() override;

    // The game under the cursor of the list; nothing while the list is empty.
    std::optional<TPickedGame> CurrentGame() const;
    bool IndexDone() const { return Indexed; }
    bool CheckDone() const { return Checked; }

    QLineEdit *edFilter = nullptr;
    QTableView *grGames = nullptr;
    QLabel *lbStatus = nullptr;
    QProgressBar *pbIndex = nullptr;
    QPushButton *btOpen = nullptr;
    TGameListModel *Games = nullptr;
    QSortFilterProxyModel *ShownGames = nullptr;

signals:
    void ListComplete(); // every game of the collection is in the list

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetupComponents(const QString &sourceName);
    QLayout *FilterRow();
    QWidget *GamesTable();
    QLayout *StatusRow();
    QWidget *Buttons();
    void FitToColumns();
    void ConnectScan();
    void FilterChanged(const QString &text);
    void KeepCurrentRow();
    void ShowStatus();

    std::unique_ptr<TCollectionScan> Scan;
    bool Indexed = false;
    bool Checked = false;
};
