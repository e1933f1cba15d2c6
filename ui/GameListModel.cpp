#include "GameListModel.h"

#include <QApplication>
#include <QStyle>
#include <array>

namespace {

constexpr std::array<const char16_t *, TGameListModel::ColumnCount> Headers = {
    u"№", u"Белые", u"Чёрные", u"Результат", u"Дата", u"Турнир", u"Полуходы", u"Примечание"};

// The tag columns follow the order of the tags.
TPgnTag TagOf(int column) {
    return static_cast<TPgnTag>(column - TGameListModel::WhiteColumn);
}

} // namespace

TGameListModel::TGameListModel(std::shared_ptr<const TPgnSource> source, QObject *parent)
    : QAbstractTableModel(parent), SourceBytes(std::move(source)),
      ProblemIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)) {}

int TGameListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Games.size());
}

int TGameListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TGameListModel::Display(qsizetype row, int column) const {
    const TPgnIndexEntry &game = Games[row];
    switch (column) {
    case NumberColumn:
        return qlonglong(row + 1); // numbers sort as numbers
    case PliesColumn:
        return qlonglong(game.Plies);
    case NoteColumn:
        return Problems.contains(row) ? QStringLiteral("Не открывается: ") + Problems.value(row)
                                      : QString();
    default:
        return SourceBytes->Tag(game, TagOf(column));
    }
}

QVariant TGameListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const qsizetype row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return Display(row, index.column());
    case SearchRole: {
        const TPgnIndexEntry &game = Games[row];
        return SourceBytes->Tag(game, TPgnTag::White) + u'\n' +
               SourceBytes->Tag(game, TPgnTag::Black) + u'\n' +
               SourceBytes->Tag(game, TPgnTag::Event);
    }
    case Qt::DecorationRole:
        if (index.column() == NumberColumn && Problems.contains(row))
            return ProblemIcon;
        return {};
    case Qt::ToolTipRole:
        return Problems.contains(row) ? Display(row, NoteColumn) : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == NumberColumn || index.column() == PliesColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant TGameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf16(Headers[section]);
}

void TGameListModel::AddGames(const std::vector<TPgnIndexEntry> &games) {
    if (games.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(games.size()) - 1);
    Games.insert(Games.end(), games.cbegin(), games.cend());
    endInsertRows();
}

void TGameListModel::FinishAdding() {
    Games.shrink_to_fit();
}

void TGameListModel::MarkChecked(qsizetype checked,
                                 const QList<std::pair<qsizetype, QString>> &problems) {
    Checked = checked;
    for (const auto &[row, note] : problems) {
        if (row >= qsizetype(Games.size()))
            continue;
        Problems.insert(row, note);
        emit dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
    }
}
