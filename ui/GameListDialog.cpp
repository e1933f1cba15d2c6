#include "GameListDialog.h"

#include "CollectionScan.h"
#include "GameListModel.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

namespace {

// An index that takes longer than this shows its progress.
constexpr int ProgressDelay = 300; // ms

// What each column is made wide enough for.
constexpr std::array<const char16_t *, TGameListModel::ColumnCount> ColumnSamples = {
    u"999999",
    u"Капабланка, Хосе Рауль",
    u"Капабланка, Хосе Рауль",
    u"1/2-1/2",
    u"2024.12.31",
    u"Чемпионат мира, Москва",
    u"999",
    u"Не открывается: ход 12. Nbd7"};

// Text typed on the list that belongs in the filter: printable, or a correction of it.
bool IsFilterKey(const QKeyEvent &key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key.key() == Qt::Key_Backspace)
        return true;
    const QString text = key.text();
    return !text.isEmpty() && text.front().isPrint();
}

bool IsListKey(const QKeyEvent &key) {
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

TGameListDialog::TGameListDialog(std::shared_ptr<const TPgnSource> source,
                                 const QString &sourceName, QWidget *parent)
    : QDialog(parent), Games(new TGameListModel(source, this)),
      ShownGames(new QSortFilterProxyModel(this)),
      Scan(std::make_unique<TCollectionScan>(std::move(source))) {
    SetupComponents(sourceName);
    ConnectScan();
    Scan->Start();
}

TGameListDialog::~TGameListDialog() {
    Scan.reset(); // the thread ends before the list it fills
}

void TGameListDialog::SetupComponents(const QString &sourceName) {
    setWindowTitle(QStringLiteral("Выбор партии"));
    auto *layout = new QVBoxLayout(this);
    auto *caption =
        new QLabel(QStringLiteral("%1\nсодержит несколько партий. Выберите партию для загрузки.")
                       .arg(sourceName),
                   this);
    caption->setTextInteractionFlags(Qt::NoTextInteraction);
    layout->addWidget(caption);
    layout->addLayout(FilterRow());
    layout->addWidget(GamesTable(), 1);
    layout->addLayout(StatusRow());
    layout->addWidget(Buttons());
    grGames->setFocus();
    FitToColumns();
    ShowStatus();
}

QLayout *TGameListDialog::FilterRow() {
    auto *filterRow = new QHBoxLayout;
    auto *filterLabel = new QLabel(QStringLiteral("&Поиск по игрокам и турниру:"), this);
    edFilter = new QLineEdit(this);
    edFilter->setClearButtonEnabled(true);
    edFilter->setAccessibleName(QStringLiteral("Поиск по игрокам и турниру"));
    filterLabel->setBuddy(edFilter);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(edFilter, 1);
    edFilter->installEventFilter(this);
    connect(edFilter, &QLineEdit::textChanged, this, &TGameListDialog::FilterChanged);
    return filterRow;
}

QWidget *TGameListDialog::GamesTable() {
    ShownGames->setSourceModel(Games);
    ShownGames->setFilterRole(TGameListModel::SearchRole);
    ShownGames->setFilterCaseSensitivity(Qt::CaseInsensitive);
    grGames = new QTableView(this);
    grGames->setAccessibleName(QStringLiteral("Партии"));
    grGames->setModel(ShownGames);
    grGames->setSelectionBehavior(QAbstractItemView::SelectRows);
    grGames->setSelectionMode(QAbstractItemView::SingleSelection);
    grGames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grGames->setTabKeyNavigation(false);
    grGames->setWordWrap(false);
    grGames->setAlternatingRowColors(true);
    grGames->verticalHeader()->hide();
    // Rows of one height: a list of a hundred thousand games scrolls without measuring them.
    grGames->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grGames->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView *header = grGames->horizontalHeader();
    header->setStretchLastSection(true);
    header->setSortIndicator(-1, Qt::AscendingOrder); // file order until a column is clicked
    grGames->setSortingEnabled(true);
    grGames->installEventFilter(this);
    connect(grGames, &QTableView::doubleClicked, this, &QDialog::accept);
    connect(grGames->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { btOpen->setEnabled(grGames->currentIndex().isValid()); });
    return grGames;
}

QLayout *TGameListDialog::StatusRow() {
    auto *statusRow = new QHBoxLayout;
    lbStatus = new QLabel(this);
    lbStatus->setAccessibleName(QStringLiteral("Состояние списка"));
    pbIndex = new QProgressBar(this);
    pbIndex->setAccessibleName(QStringLiteral("Чтение файла"));
    pbIndex->setRange(0, 1000);
    pbIndex->hide();
    statusRow->addWidget(lbStatus, 1);
    statusRow->addWidget(pbIndex);
    return statusRow;
}

QWidget *TGameListDialog::Buttons() {
    auto *buttons = new QDialogButtonBox(this);
    btOpen = buttons->addButton(QStringLiteral("Загрузить партию"), QDialogButtonBox::AcceptRole);
    btOpen->setAccessibleName(QStringLiteral("Загрузить выбранную партию"));
    btOpen->setDefault(true);
    btOpen->setEnabled(false);
    QPushButton *cancel =
        buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setAccessibleName(QStringLiteral("Отмена, текущая партия остаётся"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

// Each column wide enough for its usual value and its heading (in the header's font), and the
// dialog as wide as the columns, within the screen.
void TGameListDialog::FitToColumns() {
    constexpr int CellPadding = 16;
    QHeaderView *header = grGames->horizontalHeader();
    int tableWidth = 0;
    for (int column = 0; column < TGameListModel::ColumnCount; ++column) {
        const QString heading = Games->headerData(column, Qt::Horizontal).toString();
        const int width =
            std::max(fontMetrics().horizontalAdvance(QString::fromUtf16(ColumnSamples[column])),
                     header->fontMetrics().horizontalAdvance(heading) + CellPadding) +
            CellPadding;
        header->resizeSection(column, width);
        tableWidth += width;
    }
    const QMargins margins = layout()->contentsMargins();
    const int width = tableWidth + margins.left() + margins.right() + 2 * grGames->frameWidth() +
                      grGames->verticalScrollBar()->sizeHint().width() + 2 * CellPadding;
    const QRect screen =
        (parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
            ->availableGeometry();
    resize(std::min(width, screen.width() * 9 / 10),
           std::min(fontMetrics().height() * 32, screen.height() * 8 / 10));
}

void TGameListDialog::ConnectScan() {
    connect(Scan.get(), &TCollectionScan::GamesFound, this,
            [this](const std::vector<TPgnIndexEntry> &games, qint64 done) {
                Games->AddGames(games);
                const qint64 size = Games->Source().Bytes().size();
                pbIndex->setValue(size > 0 ? int(done * 1000 / size) : 1000);
                KeepCurrentRow();
                ShowStatus();
            });
    connect(Scan.get(), &TCollectionScan::IndexFinished, this, [this] {
        Indexed = true;
        Games->FinishAdding();
        pbIndex->hide();
        ShowStatus();
        emit ListComplete();
    });
    connect(Scan.get(), &TCollectionScan::GamesChecked, this,
            [this](qsizetype checked, const QList<std::pair<qsizetype, QString>> &problems) {
                Games->MarkChecked(checked, problems);
                ShowStatus();
            });
    connect(Scan.get(), &TCollectionScan::CheckFinished, this, [this] {
        Checked = true;
        ShowStatus();
    });
    QTimer::singleShot(ProgressDelay, this, [this] { pbIndex->setVisible(!Indexed); });
}

void TGameListDialog::FilterChanged(const QString &text) {
    ShownGames->setFilterFixedString(text.trimmed());
    KeepCurrentRow();
    ShowStatus();
}

// There is always a current game while any is shown, so Enter has one to load.
void TGameListDialog::KeepCurrentRow() {
    if (!grGames->currentIndex().isValid() && ShownGames->rowCount() > 0)
        grGames->setCurrentIndex(ShownGames->index(0, 0));
    btOpen->setEnabled(grGames->currentIndex().isValid());
}

void TGameListDialog::ShowStatus() {
    const qsizetype all = Games->rowCount();
    QString text = Indexed ? QStringLiteral("Партий: %1").arg(all)
                           : QStringLiteral("Чтение файла… найдено партий: %1").arg(all);
    if (ShownGames->rowCount() != all)
        text += QStringLiteral(", показано: %1").arg(ShownGames->rowCount());
    if (Indexed && !Checked)
        text += QStringLiteral(". Проверено: %1 из %2").arg(Games->CheckedCount()).arg(all);
    if (Games->ProblemCount() > 0)
        text += QStringLiteral(". Не открываются: %1").arg(Games->ProblemCount());
    lbStatus->setText(text + u'.');
}

std::optional<TPickedGame> TGameListDialog::CurrentGame() const {
    const QModelIndex current = ShownGames->mapToSource(grGames->currentIndex());
    if (!current.isValid())
        return std::nullopt;
    const TPgnIndexEntry &game = Games->Game(current.row());
    return TPickedGame{current.row() + 1, Games->Source().GameBytes(game).toByteArray()};
}

// Typing on the list goes to the filter, so a name can be looked for without leaving the list;
// the arrows and page keys in the filter move in the list.
bool TGameListDialog::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == grGames && IsFilterKey(*key)) {
        QCoreApplication::sendEvent(edFilter, event);
        return true;
    }
    if (watched == edFilter && IsListKey(*key)) {
        QCoreApplication::sendEvent(grGames, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
