#include "Main.h"

#include "BoardGrid.h"
#include "ClientEndpoint.h"
#include "PageControl.h"
#include "Pictures.h"
#include "PieceSelect.h"
#include "Prompts.h"
#include "Protocol.h"
#include "Record.h"
#include "ServerEndpoint.h"
#include "Shape.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <optional>

#ifndef KORVALEN_INSTALLED_HELP
#define KORVALEN_INSTALLED_HELP ""
#endif

QColor DarkSquareColor() {
    return {175, 119, 92};
}
QColor LightSquareColor() {
    return {231, 189, 140};
}

QStringList SavedGameFilters() {
    return {QStringLiteral("Сохраненные игры Korvalen (*.kvl)"), QStringLiteral("Все файлы (*)")};
}

namespace {

constexpr QSize ClientSize(634, 468);
constexpr int FlickerInterval = 200;  // ms
constexpr int ConnectInterval = 5000; // ms

QColor GrayTextColor(const QWidget *widget) {
    return widget->palette().color(QPalette::Disabled, QPalette::WindowText).darker(140);
}

void SetTextColor(QWidget *widget, const QColor &color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

// A Russian caption can need more room in the desktop's font than the layout gives it; the
// control keeps its place and grows to the right just enough to show the whole caption.
void WidenToCaption(QWidget *widget) {
    const int needed = widget->sizeHint().width();
    if (needed > widget->width())
        widget->resize(needed, widget->height());
}

template <typename Widget>
Widget *Create(QWidget *parent, const char *name, const QRect &geometry) {
    auto *widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel *CreateLabel(QWidget *parent, const char *name, const QString &caption, QPoint at) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(at);
    label->adjustSize();
    return label;
}

// Why a file could not be read or written, in the user's words.
QString FileProblem(const QString &path, bool writing, const QString &systemReason) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("это папка, а не файл");
    if (!writing) {
        if (!info.exists())
            return QStringLiteral("файл не найден");
        if (!info.isReadable())
            return QStringLiteral("нет прав на чтение файла");
    } else {
        const QFileInfo folder(info.absolutePath());
        if (!folder.isDir())
            return QStringLiteral("папка «%1» не существует")
                .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
        if (info.exists() && !info.isWritable())
            return QStringLiteral("нет прав на запись в файл");
        if (!folder.isWritable())
            return QStringLiteral("нет прав на запись в папку «%1»")
                .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    }
    return (writing ? QStringLiteral("ошибка записи") : QStringLiteral("ошибка чтения")) +
           (systemReason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(systemReason));
}

} // namespace

TMainForm::TMainForm(const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ProgramFolder(folder), InstalledHelpFile(QString::fromUtf8(KORVALEN_INSTALLED_HELP)),
      IsForeground([this] { return WindowIsActive(); }), ilPieces(BoardPictures()),
      PromptsObject(std::make_unique<TPrompts>()) {
    SetupComponents();
    ConnectHandlers();
    ApplyNetworkSettings();
    StartNewGame();
    tmFlicker->start();
    tmConnect->start();
}

// The endpoints end with the window's children; no notification of theirs may reach a window
// that is half gone.
TMainForm::~TMainForm() {
    ClientSocket->disconnect(this);
    ServerSocket->disconnect(this);
}

void TMainForm::SetPrompts(std::unique_ptr<TPrompts> prompts) {
    if (prompts)
        PromptsObject = std::move(prompts);
}

// ---- Layout ---------------------------------------------------------------------------------

void TMainForm::SetupComponents() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Korvalen"));
    setWindowIcon(ProgramIcon());
    QFont formFont = font();
    formFont.setPointSize(8);
    setFont(formFont);
    QPalette formPalette = palette();
    formPalette.setColor(QPalette::Window, formPalette.color(QPalette::Button));
    setPalette(formPalette);
    setFixedSize(ClientSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    shConnect = Create<TShape>(this, "shConnect", {444, 454, 185, 8});
    shConnect->setToolTip(QStringLiteral("Индикатор подключения к другому компьютеру"));
    shConnect->SetBrushColor(QColor(255, 0, 0));
    shConnect->SetPenColor(Qt::white);

    pcMain = Create<TPageControl>(this, "pcMain", {1, 0, 441, 467});
    pcMain->OwnerDrawnTabBar()->OnDrawTab = [this](QPainter &painter, int index, const QRect &rect,
                                                   bool active) {
        pcMainDrawTab(painter, index, rect, active);
    };
    SetupBoardPage();
    SetupControlPage();
    SetupSideColumn();

    tmFlicker = new QTimer(this);
    tmFlicker->setObjectName(QStringLiteral("tmFlicker"));
    tmFlicker->setInterval(FlickerInterval);

    ClientSocket = new TClientEndpoint(this);
    ClientSocket->setObjectName(QStringLiteral("ClientSocket"));
    ServerSocket = new TServerEndpoint(this);
    ServerSocket->setObjectName(QStringLiteral("ServerSocket"));
    tmConnect = new QTimer(this);
    tmConnect->setObjectName(QStringLiteral("tmConnect"));
    tmConnect->setInterval(ConnectInterval);

    PieceSelectForm = new TPieceSelectForm(this);
    PieceSelectForm->hide();

    SetupTabOrder();
    // Tool tips are switched for the whole window: every component passes its tool-tip
    // events through the window first.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    installEventFilter(this);
}

void TMainForm::SetupBoardPage() {
    tsBoard = new QWidget;
    tsBoard->setObjectName(QStringLiteral("tsBoard"));
    pcMain->addTab(tsBoard, QStringLiteral("Шахматная доска"));

    static constexpr std::array<int, 8> digitTops = {385, 333, 282, 230, 179, 127, 76, 25};
    static constexpr std::array<int, 8> literaLefts = {38, 89, 140, 191, 242, 293, 344, 396};
    for (int i = 0; i < 8; ++i) {
        lbDigit.at(i) = CreateLabel(tsBoard, QStringLiteral("lbDigit%1").arg(i + 1).toLatin1(),
                                    QString::number(i + 1), {1, digitTops.at(i)});
        lbLitera.at(i) = CreateLabel(tsBoard, QStringLiteral("lbLitera%1").arg(i + 1).toLatin1(),
                                     QString(QChar(u'a' + i)), {literaLefts.at(i), 424});
    }
    for (QLabel *label : lbDigit)
        SetTextColor(label, GrayTextColor(this));
    for (QLabel *label : lbLitera)
        SetTextColor(label, GrayTextColor(this));

    pnBoard = Create<QFrame>(tsBoard, "pnBoard", {12, 4, 419, 420});
    pnBoard->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnBoard->setLineWidth(1);
    dgBoard = new TBoardGrid(pnBoard);
    dgBoard->setObjectName(QStringLiteral("dgBoard"));
    dgBoard->move(6, 6);
}

QPushButton *TMainForm::AddPictureButton(QWidget *parent, const char *name, const QString &caption,
                                         const QString &picture, const QRect &geometry) {
    auto *button = Create<QPushButton>(parent, name, geometry);
    button->setText(caption);
    button->setIcon(ButtonIcon(picture));
    button->setIconSize(QSize(20, 18));
    WidenToCaption(button);
    return button;
}

void TMainForm::SetupControlPage() {
    tsControl = new QWidget;
    tsControl->setObjectName(QStringLiteral("tsControl"));
    pcMain->addTab(tsControl, QStringLiteral("Настройки и управление"));

    gbGame = Create<QGroupBox>(tsControl, "gbGame", {12, -1, 419, 132});
    gbGame->setTitle(QStringLiteral("Партия"));
    btNew = AddPictureButton(gbGame, "btNew", QStringLiteral("Новая партия             "),
                             QStringLiteral("new-game"), {30, 25, 180, 25});
    btLoad = AddPictureButton(gbGame, "btLoad", QStringLiteral("Загрузить из файла..."),
                              QStringLiteral("load"), {30, 55, 180, 25});
    btSave = AddPictureButton(gbGame, "btSave", QStringLiteral("Сохранить в файл...   "),
                              QStringLiteral("save"), {30, 85, 180, 25});
    btReturn = AddPictureButton(gbGame, "btReturn", QStringLiteral("Отменить ход    "),
                                QStringLiteral("take-back"), {232, 25, 160, 25});

    gbInterface = Create<QGroupBox>(tsControl, "gbInterface", {12, 135, 419, 130});
    gbInterface->setTitle(QStringLiteral("Интерфейс"));
    cbWhiteOnTop = Create<QCheckBox>(gbInterface, "cbWhiteOnTop", {31, 24, 113, 17});
    cbWhiteOnTop->setText(QStringLiteral("Белые наверху"));
    WidenToCaption(cbWhiteOnTop);
    cbShowHints = Create<QCheckBox>(gbInterface, "cbShowHints", {31, 48, 153, 17});
    cbShowHints->setText(QStringLiteral("Показывать подсказки"));
    WidenToCaption(cbShowHints);
    btHelp = AddPictureButton(gbInterface, "btHelp", QStringLiteral("Помощь по программе"),
                              QStringLiteral("help"), {30, 81, 180, 25});

    gbNet = Create<QGroupBox>(tsControl, "gbNet", {12, 269, 419, 131});
    gbNet->setTitle(QStringLiteral("Сеть"));
    rbAsServer = Create<QRadioButton>(gbNet, "rbAsServer", {28, 32, 210, 17});
    rbAsServer->setText(QStringLiteral("Главный компьютер (сервер)"));
    rbAsServer->setChecked(true);
    WidenToCaption(rbAsServer);
    rbAsClient = Create<QRadioButton>(gbNet, "rbAsClient", {28, 56, 210, 17});
    rbAsClient->setText(QStringLiteral("Подчинённый компьютер (клиент)"));
    WidenToCaption(rbAsClient);
    lbIpAddress = CreateLabel(gbNet, "lbIpAddress", QStringLiteral("IP-адрес сервера:"), {104, 82});
    edServerIP = Create<QLineEdit>(gbNet, "edServerIP", {208, 78, 121, 21});
    edServerIP->setEnabled(false);
    ShowAsUsable(edServerIP, false);

    Label = CreateLabel(tsControl, "Label", QStringLiteral("Korvalen — © 2026, команда Korvalen"),
                        {12, 408});
    SetTextColor(Label, GrayTextColor(this));
}

void TMainForm::SetupSideColumn() {
    mmAnnotation = Create<QPlainTextEdit>(this, "mmAnnotation", {444, 31, 185, 236});
    mmAnnotation->setToolTip(QStringLiteral("Нотация"));
    mmAnnotation->setReadOnly(true);
    mmAnnotation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont notationFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    notationFont.setPointSize(8);
    mmAnnotation->setFont(notationFont);
    ShowAsUsable(mmAnnotation, false);

    edGameMessage = Create<QLineEdit>(this, "edGameMessage", {444, 270, 185, 21});
    edGameMessage->setToolTip(QStringLiteral("Сообщения игры"));
    edGameMessage->setReadOnly(true);
    ShowAsUsable(edGameMessage, false);

    mmChat = Create<QPlainTextEdit>(this, "mmChat", {444, 301, 185, 126});
    mmChat->setToolTip(QStringLiteral("Все сообщения чата"));
    mmChat->setReadOnly(true);
    mmChat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ShowAsUsable(mmChat, false);

    edChat = Create<QLineEdit>(this, "edChat", {444, 430, 185, 21});
    edChat->setToolTip(QStringLiteral("Сообщение в чат"));
    edChat->setMaxLength(ChatTextMaxLength);
    edChat->setReadOnly(true);
    ShowAsUsable(edChat, false);
}

void TMainForm::SetupTabOrder() {
    const std::array<QWidget *, 15> order = {pcMain,        btNew,        btLoad,      btSave,
                                             btReturn,      cbWhiteOnTop, cbShowHints, btHelp,
                                             rbAsServer,    rbAsClient,   edServerIP,  mmAnnotation,
                                             edGameMessage, mmChat,       edChat};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

void TMainForm::ConnectHandlers() {
    connect(pcMain, &QTabWidget::currentChanged, this, [this](int index) {
        if (pcMain->widget(index) == tsBoard)
            tsBoardShow();
    });
    connect(dgBoard, &TBoardGrid::MouseDown, this, &TMainForm::dgBoardMouseDown);
    connect(tmFlicker, &QTimer::timeout, this, &TMainForm::tmFlickerTimer);
    connect(cbWhiteOnTop, &QCheckBox::toggled, this, &TMainForm::cbWhiteOnTopClick);
    connect(cbShowHints, &QCheckBox::toggled, this, &TMainForm::cbShowHintsClick);
    connect(btNew, &QPushButton::clicked, this, &TMainForm::btNewClick);
    connect(btLoad, &QPushButton::clicked, this, &TMainForm::btLoadClick);
    connect(btSave, &QPushButton::clicked, this, &TMainForm::btSaveClick);
    connect(btReturn, &QPushButton::clicked, this, &TMainForm::btReturnClick);
    connect(btHelp, &QPushButton::clicked, this, &TMainForm::btHelpClick);
    ConnectNetworkHandlers();
}

void TMainForm::ShowAsUsable(QWidget *edit, bool usable) {
    QPalette palette = edit->palette();
    const QPalette standard = QApplication::palette(edit);
    palette.setColor(QPalette::Base,
                     usable ? standard.color(QPalette::Base) : standard.color(QPalette::Button));
    edit->setPalette(palette);
}

// ---- Start-up, events, new game ---------------------------------------------------------------

bool TMainForm::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ToolTip && !HintsShown)
        return true;
    // The chat entry sends on Enter; the key itself stays with the edit.
    if (watched == edChat && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        edChatKeyDown(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    FormShow();
}

void TMainForm::FormShow() {
    edChat->setFocus();
}

void TMainForm::paintEvent(QPaintEvent *) {
    // The board follows the game and the orientation at every repaint of the window.
    if (InFormPaint)
        return;
    InFormPaint = true;
    FormPaint();
    InFormPaint = false;
}

void TMainForm::FormPaint() {
    UpdateCoordinateLabels();
    DrawBoard();
}

void TMainForm::StartNewGame() {
    CurrentGame = std::make_unique<TGame>();
    CurrentGame->GameMessageHook = [this](const QString &text) { edGameMessage->setText(text); };
    CurrentGame->PromotionHook = [this](std::uint8_t color) { return AskPromotionPiece(color); };
    SelectedSquare = -1;
    pcMain->setCurrentWidget(tsBoard);
}

void TMainForm::pcMainDrawTab(QPainter &painter, int tabIndex, const QRect &rect,
                              bool active) const {
    const QPalette colors = pcMain->palette();
    painter.fillRect(rect, colors.color(QPalette::Button));
    // The page shown looks like a pressed flat button.
    if (active) {
        painter.setPen(colors.color(QPalette::Dark));
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(colors.color(QPalette::Light));
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    }
    painter.setPen(colors.color(QPalette::ButtonText));
    painter.setFont(pcMain->font());
    painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     pcMain->tabText(tabIndex));
}

// ---- Board rendering --------------------------------------------------------------------------

QPoint TMainForm::GridCellOf(int column, int row) const {
    if (cbWhiteOnTop->isChecked())
        return {7 - column, row};
    return {column, 7 - row};
}

int TMainForm::SquareAtCell(int gridColumn, int gridRow) const {
    if (cbWhiteOnTop->isChecked())
        return CurrentGame->Board->IndexOf(7 - gridColumn, gridRow);
    return CurrentGame->Board->IndexOf(gridColumn, 7 - gridRow);
}

void TMainForm::DrawSquare(int index, bool raised) {
    if (!CurrentGame || index < 0 || index > 63)
        return;
    const TFields &square = *CurrentGame->Board->Squares.at(index);
    const QPoint cell = GridCellOf(square.Column, square.Row);
    const QRect cellRect = TBoardGrid::CellRect(cell.x(), cell.y());
    QPainter painter(&dgBoard->Canvas());
    painter.fillRect(cellRect, square.Dark != 0 ? DarkSquareColor() : LightSquareColor());
    if (square.Piece != nullptr) {
        const int picture = BoardPictureIndex(square.Piece->Color, square.Piece->Kind);
        if (picture >= 0 && picture < ilPieces.size())
            painter.drawPixmap(cellRect.left() + 2, cellRect.top() + (raised ? 0 : 2),
                               ilPieces.at(picture));
    }
    painter.end();
    dgBoard->update(cellRect);
}

void TMainForm::DrawBoard() {
    for (int index = 0; index < 64; ++index)
        DrawSquare(index, false);
}

void TMainForm::UpdateCoordinateLabels() {
    const bool whiteOnTop = cbWhiteOnTop->isChecked();
    for (int i = 0; i < 8; ++i) {
        const int file = whiteOnTop ? 7 - i : i;
        lbLitera.at(i)->setText(QString(QChar(u'a' + file)));
        lbDigit.at(i)->setText(QString::number(file + 1));
    }
}

void TMainForm::tsBoardShow() {
    DrawBoard();
}

// The squares follow when the board page is shown again.
void TMainForm::cbWhiteOnTopClick() {
    UpdateCoordinateLabels();
}

// ---- Board input ------------------------------------------------------------------------------

void TMainForm::dgBoardMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    if (!CurrentGame->HasNoLegalMove(CurrentGame->SideToMove)) {
        int target = -1;
        for (int row = 0; row < TBoardGrid::CellCount; ++row) {
            for (int column = 0; column < TBoardGrid::CellCount; ++column) {
                const QRect cell = TBoardGrid::CellRect(column, row);
                // Strict on all four sides: the first pixel row and column of a cell and the
                // lines between cells hit nothing.
                if (cell.left() < x && x < cell.left() + cell.width() && cell.top() < y &&
                    y < cell.top() + cell.height())
                    target = SquareAtCell(column, row);
            }
        }
        if (target >= 0) {
            if (SelectedSquare != -1) {
                // May ask for the promotion piece; the event loop runs meanwhile, and what
                // the peer sent in that time is handled once the move has been played.
                CurrentGame->TryMove(SelectedSquare, target, NoPromotion, true);
                SelectedSquare = -1;
                HandleHeldNetMessages();
            } else {
                const TPieces *piece = CurrentGame->Board->Squares.at(target)->Piece;
                if (piece != nullptr && piece->Color == CurrentGame->SideToMove)
                    SelectedSquare = target;
            }
            RefreshNotation();
        }
    }
    DrawBoard();
    SendNetMessage(QStringLiteral("l") + CurrentGame->MoveRecord.join(RecordSeparator));
    SendNetMessage(QStringLiteral("s") + QString::number(SelectedSquare));
}

void TMainForm::tmFlickerTimer() {
    if (SelectedSquare < 0 || SelectedSquare > 63)
        return;
    FlickerRaised = !FlickerRaised;
    DrawSquare(SelectedSquare, FlickerRaised);
}

void TMainForm::RefreshNotation() {
    mmAnnotation->setPlainText(CurrentGame->Notation.join(u'\n'));
    QTextCursor cursor = mmAnnotation->textCursor();
    cursor.movePosition(QTextCursor::End);
    mmAnnotation->setTextCursor(cursor);
    mmAnnotation->verticalScrollBar()->setValue(mmAnnotation->verticalScrollBar()->maximum());
}

// ---- Game commands ----------------------------------------------------------------------------

void TMainForm::btNewClick() {
    StartNewGame();
    DrawBoard();
    mmAnnotation->clear();
    edGameMessage->clear();
}

void TMainForm::cbShowHintsClick() {
    HintsShown = cbShowHints->isChecked();
    if (!HintsShown)
        QToolTip::hideText();
}

QString TMainForm::HelpFileName() const {
    const QDir programFolder(ProgramFolder);
    const QString beside = programFolder.filePath(QStringLiteral("help/index.html"));
    if (QFileInfo(beside).isFile())
        return beside;
    // An installed tree moved as a whole to another prefix still finds its own page.
    const QString besideInstalled =
        programFolder.filePath(QStringLiteral("../share/korvalen/help/index.html"));
    if (QFileInfo(besideInstalled).isFile())
        return QDir::cleanPath(besideInstalled);
    if (!InstalledHelpFile.isEmpty() && QFileInfo(InstalledHelpFile).isFile())
        return InstalledHelpFile;
    return {};
}

void TMainForm::btHelpClick() {
    const QString help = HelpFileName();
    if (!help.isEmpty()) {
        Prompts().OpenUrl(QUrl::fromLocalFile(help));
        return;
    }
    Prompts().ShowMessage(this, QMessageBox::Critical, QStringLiteral("Поиск файла справки"),
                          QStringLiteral("Файл справки не найден."), QMessageBox::Ok);
}

void TMainForm::btReturnClick() {
    if (SendNetMessage(QStringLiteral("rQuest"))) {
        Prompts().ShowMessage(
            this, QMessageBox::Information, QStringLiteral("Отмена последнего хода"),
            QStringLiteral("Запрос на отмену хода отправлен вашему оппоненту."), QMessageBox::Ok);
        return;
    }
    // No one to ask: the move is taken back at once. The board follows when its page is
    // shown again.
    CurrentGame->UndoLastMove();
    RefreshNotation();
}

// ---- Saved games ------------------------------------------------------------------------------

void TMainForm::ShowFileProblem(const QString &caption, const QString &text) {
    Prompts().ShowMessage(this, QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

void TMainForm::btSaveClick() {
    QString fileName = Prompts().SaveFileName(this, SavedGameFilters());
    if (fileName.isEmpty())
        return;
    // Anything that already names the extension somewhere is used as it is.
    if (!fileName.contains(QStringLiteral(".kvl")))
        fileName += QStringLiteral(".kvl");
    QString reason;
    if (!WriteSavedGame(fileName, CurrentGame->MoveRecord, &reason)) {
        ShowFileProblem(
            QStringLiteral("Сохранение партии"),
            QStringLiteral("Не удалось сохранить партию в файл\n%1\n\nПричина: %2.")
                .arg(QDir::toNativeSeparators(fileName), FileProblem(fileName, true, reason)));
    }
}

void TMainForm::btLoadClick() {
    const QString fileName = Prompts().OpenFileName(this, SavedGameFilters());
    if (fileName.isEmpty())
        return;
    const QString shownName = QDir::toNativeSeparators(fileName);
    QString reason;
    const std::optional<QStringList> lines = ReadSavedGame(fileName, &reason);
    if (!lines) {
        ShowFileProblem(QStringLiteral("Загрузка партии"),
                        QStringLiteral("Не удалось прочитать файл\n%1\n\nПричина: %2.\n\n"
                                       "Текущая партия не изменилась.")
                            .arg(shownName, FileProblem(fileName, false, reason)));
        return;
    }
    // A file that is not a saved game must not cost the player the game on the board.
    if (const std::optional<TBadEntry> bad = FindBadEntry(*lines)) {
        const QString line = lines->value(bad->Index);
        const QString what = line.isEmpty()
                                 ? QStringLiteral("строка %1 пустая").arg(bad->Index + 1)
                                 : QStringLiteral("строка %1 («%2») не является допустимым ходом")
                                       .arg(bad->Index + 1)
                                       .arg(line.left(40));
        ShowFileProblem(QStringLiteral("Загрузка партии"),
                        QStringLiteral("Файл\n%1\nне является сохранённой партией Korvalen: "
                                       "%2.\n\nТекущая партия не изменилась.")
                            .arg(shownName, what));
        return;
    }
    CurrentGame->ReplayMoves(*lines);
    SelectedSquare = -1;
    RefreshNotation();
    if (pcMain->currentWidget() == tsBoard)
        DrawBoard();
    else
        pcMain->setCurrentWidget(tsBoard); // showing the page redraws the board
}
