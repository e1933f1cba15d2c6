// The main window's layout: its components at their places, the tab order, the handlers
// wired to them and the owner-drawn tabs.
#include "BoardGrid.h"
#include "BoardView.h"
#include "Keyboard.h"
#include "Main.h"
#include "MoveSound.h"
#include "NetSession.h"
#include "PageControl.h"
#include "Pictures.h"
#include "PieceSelect.h"
#include "PortOpening.h"
#include "ServerChooser.h"
#include "Shape.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <array>
#include <utility>

namespace {

constexpr QSize ClientSize(634, 468);
constexpr int FlickerInterval = 200;  // ms
constexpr int ConnectInterval = 5000; // ms

// The palette's grey text, set off from the window's background: darker on a light one, lighter
// on a dark one, where the darker grey would sink into the background.
QColor GrayTextColor(const QWidget *widget) {
    const QPalette &palette = widget->palette();
    const QColor gray = palette.color(QPalette::Disabled, QPalette::WindowText);
    const bool darkBackground = palette.color(QPalette::Window).lightness() <
                                palette.color(QPalette::WindowText).lightness();
    return darkBackground ? gray.lighter(140) : gray.darker(140);
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

QTimer *CreateTimer(QObject *owner, const char *name, int interval) {
    auto *timer = new QTimer(owner);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
}

QLabel *CreateLabel(QWidget *parent, const char *name, const QString &caption, QPoint at) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(at);
    label->adjustSize();
    return label;
}

void SetupBoardPage(TMainForm &form) {
    form.tsBoard = form.BoardView;
    form.tsBoard->setObjectName(QStringLiteral("tsBoard"));
    form.pcMain->addTab(form.tsBoard, QStringLiteral("Шахматная доска"));
    // The labels take their size in the window's font, which reaches them only now.
    for (const auto &labels : {form.lbDigit, form.lbLitera}) {
        for (QLabel *label : labels) {
            SetTextColor(label, GrayTextColor(&form));
            label->adjustSize();
        }
    }
}

QPushButton *AddPictureButton(QWidget *parent, const char *name, const QString &caption,
                              const QString &picture, const QRect &geometry) {
    auto *button = Create<QPushButton>(parent, name, geometry);
    button->setText(caption);
    button->setIcon(ButtonIcon(picture));
    button->setIconSize(QSize(20, 18));
    ClickOnReturn(button);
    WidenToCaption(button);
    return button;
}

// The game's port on the router: the box beside the server's button, whose role it belongs to,
// in two lines, and its state line across the group under the address field, two lines wide
// enough for a reason and what to do; the address is selectable for Ctrl+C.
void SetupPortOpening(TMainForm &form) {
    form.cbOpenPort = Create<QCheckBox>(
        form.gbNet, "cbOpenPort", {form.rbAsServer->geometry().right() + 5, 24, 170, 32});
    form.cbOpenPort->setText(QStringLiteral("Открыть порт на роутере\n(игра через интернет)"));
    form.cbOpenPort->setToolTip(
        QStringLiteral("Попросить роутер пропустить к этой программе друга из интернета. Порт "
                       "закроется, когда вы снимете галочку или закроете программу."));
    WidenToCaption(form.cbOpenPort);
    form.lbPortState = Create<QLabel>(form.gbNet, "lbPortState", {12, 101, 400, 28});
    form.lbPortState->setWordWrap(true);
    form.lbPortState->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    form.lbPortState->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                              Qt::TextSelectableByKeyboard);
    form.lbPortState->setFocusPolicy(Qt::NoFocus); // nothing to read yet
    form.PortOpening = new TPortOpening(*form.cbOpenPort, *form.lbPortState, *form.Session,
                                        form.Session->PortMapper());
}

void SetupControlPage(TMainForm &form) {
    form.tsControl = new QWidget;
    form.tsControl->setObjectName(QStringLiteral("tsControl"));
    form.pcMain->addTab(form.tsControl, QStringLiteral("Настройки и управление"));

    form.gbGame = Create<QGroupBox>(form.tsControl, "gbGame", {12, -1, 419, 132});
    form.gbGame->setTitle(QStringLiteral("Партия"));
    form.btNew = AddPictureButton(form.gbGame, "btNew", QStringLiteral("Новая партия             "),
                                  QStringLiteral("new-game"), {30, 25, 180, 25});
    form.btLoad = AddPictureButton(form.gbGame, "btLoad", QStringLiteral("Загрузить из файла..."),
                                   QStringLiteral("load"), {30, 55, 180, 25});
    form.btSave = AddPictureButton(form.gbGame, "btSave", QStringLiteral("Сохранить в файл...   "),
                                   QStringLiteral("save"), {30, 85, 180, 25});
    form.btReturn = AddPictureButton(form.gbGame, "btReturn", QStringLiteral("Отменить ход    "),
                                     QStringLiteral("take-back"), {232, 25, 160, 25});
    // In the free space under the take-back, usable while an unfinished game is kept. Its
    // caption is long: no picture, and it starts a little left of the take-back to fit.
    form.btRestore = Create<QPushButton>(form.gbGame, "btRestore", {218, 55, 190, 25});
    form.btRestore->setText(QStringLiteral("Вернуть прерванную партию"));
    ClickOnReturn(form.btRestore);
    WidenToCaption(form.btRestore);
    form.btRestore->setEnabled(false);

    form.gbInterface = Create<QGroupBox>(form.tsControl, "gbInterface", {12, 135, 419, 130});
    form.gbInterface->setTitle(QStringLiteral("Интерфейс"));
    form.cbWhiteOnTop = Create<QCheckBox>(form.gbInterface, "cbWhiteOnTop", {31, 24, 113, 17});
    form.cbWhiteOnTop->setText(QStringLiteral("Белые наверху"));
    WidenToCaption(form.cbWhiteOnTop);
    form.cbShowHints = Create<QCheckBox>(form.gbInterface, "cbShowHints", {31, 48, 153, 17});
    form.cbShowHints->setText(QStringLiteral("Показывать подсказки"));
    WidenToCaption(form.cbShowHints);
    // The marking takes the right half of the group, which is empty otherwise.
    form.cbMarkLastMove = Create<QCheckBox>(form.gbInterface, "cbMarkLastMove", {232, 24, 170, 17});
    form.cbMarkLastMove->setText(QStringLiteral("Отмечать последний ход"));
    form.cbMarkLastMove->setToolTip(
        QStringLiteral("Выделять на доске поля, откуда и куда пошла фигура последним ходом"));
    WidenToCaption(form.cbMarkLastMove);
    form.cbMoveSound = Create<QCheckBox>(form.gbInterface, "cbMoveSound", {232, 48, 170, 17});
    form.cbMoveSound->setText(QStringLiteral("Звук при ходе соперника"));
    form.cbMoveSound->setToolTip(
        QStringLiteral("Короткий звук, когда по сети приходит ход соперника"));
    WidenToCaption(form.cbMoveSound);
    form.btHelp =
        AddPictureButton(form.gbInterface, "btHelp", QStringLiteral("Помощь по программе"),
                         QStringLiteral("help"), {30, 81, 180, 25});

    form.gbNet = Create<QGroupBox>(form.tsControl, "gbNet", {12, 269, 419, 131});
    form.gbNet->setTitle(QStringLiteral("Сеть"));
    form.rbAsServer = Create<QRadioButton>(form.gbNet, "rbAsServer", {28, 32, 210, 17});
    form.rbAsServer->setText(QStringLiteral("Главный компьютер (сервер)"));
    form.rbAsServer->setChecked(true);
    WidenToCaption(form.rbAsServer);
    form.rbAsClient = Create<QRadioButton>(form.gbNet, "rbAsClient", {28, 56, 210, 17});
    form.rbAsClient->setText(QStringLiteral("Подчинённый компьютер (клиент)"));
    WidenToCaption(form.rbAsClient);
    form.lbIpAddress =
        CreateLabel(form.gbNet, "lbIpAddress", QStringLiteral("IP-адрес сервера:"), {104, 82});
    form.edServerIP = Create<QLineEdit>(form.gbNet, "edServerIP", {208, 78, 121, 21});
    form.edServerIP->setEnabled(false);
    TMainForm::ShowAsUsable(form.edServerIP, false);
    new TServerChooser(*form.edServerIP, *form.Session); // the servers found, beside it; owned by gbNet
    SetupPortOpening(form);

    form.Label = CreateLabel(form.tsControl, "Label",
                             QStringLiteral("Korvalen — © 2026, команда Korvalen"), {12, 408});
    SetTextColor(form.Label, GrayTextColor(&form));
}

void SetupSideColumn(TMainForm &form) {
    form.mmAnnotation = Create<TFocusMemo>(&form, "mmAnnotation", {444, 31, 185, 236});
    form.mmAnnotation->setToolTip(QStringLiteral("Нотация"));
    form.mmAnnotation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont notationFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    notationFont.setPointSize(8);
    form.mmAnnotation->setFont(notationFont);
    TMainForm::ShowAsUsable(form.mmAnnotation, false);

    form.edGameMessage = Create<QLineEdit>(&form, "edGameMessage", {444, 270, 185, 21});
    form.edGameMessage->setToolTip(QStringLiteral("Сообщения игры"));
    form.edGameMessage->setReadOnly(true);
    TMainForm::ShowAsUsable(form.edGameMessage, false);

    form.mmChat = Create<TFocusMemo>(&form, "mmChat", {444, 301, 185, 126});
    form.mmChat->setToolTip(QStringLiteral("Все сообщения чата"));
    form.mmChat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TMainForm::ShowAsUsable(form.mmChat, false);

    form.edChat = Create<QLineEdit>(&form, "edChat", {444, 430, 185, 21});
    form.edChat->setToolTip(QStringLiteral("Сообщение в чат"));
    form.edChat->setMaxLength(TNetSession::ChatTextMaxLength);
    form.edChat->setReadOnly(true);
    TMainForm::ShowAsUsable(form.edChat, false);
}

void SetupTabOrder(TMainForm &form) {
    QWidget *const order[] = {
        form.pcMain,       form.btNew,         form.btLoad,        form.btSave,
        form.btReturn,     form.btRestore,     form.cbWhiteOnTop,  form.cbShowHints,
        form.cbMarkLastMove, form.cbMoveSound, form.btHelp,        form.rbAsServer,
        form.rbAsClient,   form.edServerIP,    form.cbOpenPort,    form.lbPortState,
        form.mmAnnotation, form.edGameMessage, form.mmChat,        form.edChat};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// What a screen reader says of each control: its name, and its hint where it has one. Captions
// lose the blanks that pad them to the layout. Labels and windows are read by their texts.
void SetupAccessibleNames(TMainForm &form) {
    const std::pair<QWidget *, const char16_t *> names[] = {
        {form.shConnect, u"Индикатор подключения: нет связи"},
        {form.pcMain, u"Страницы окна"},
        {form.tsBoard, u"Шахматная доска"},
        {form.dgBoard, u"Шахматная доска"},
        {form.tsControl, u"Настройки и управление"},
        {form.gbGame, u"Партия"},
        {form.btNew, u"Новая партия"},
        {form.btLoad, u"Загрузить из файла"},
        {form.btSave, u"Сохранить в файл"},
        {form.btReturn, u"Отменить ход"},
        {form.btRestore, u"Вернуть прерванную партию"},
        {form.gbInterface, u"Интерфейс"},
        {form.cbWhiteOnTop, u"Белые наверху"},
        {form.cbShowHints, u"Показывать подсказки"},
        {form.cbMarkLastMove, u"Отмечать последний ход"},
        {form.cbMoveSound, u"Звук при ходе соперника"},
        {form.btHelp, u"Помощь по программе"},
        {form.gbNet, u"Сеть"},
        {form.rbAsServer, u"Главный компьютер (сервер)"},
        {form.rbAsClient, u"Подчинённый компьютер (клиент)"},
        {form.edServerIP, u"IP-адрес сервера"},
        {form.cbOpenPort, u"Открыть порт на роутере (игра через интернет)"},
        {form.mmAnnotation, u"Нотация партии"},
        {form.edGameMessage, u"Сообщение игры"},
        {form.mmChat, u"Чат"},
        {form.edChat, u"Ввод сообщения в чат"},
    };
    form.pcMain->tabBar()->setAccessibleName(QStringLiteral("Страницы окна"));
    for (const auto &[widget, name] : names) {
        widget->setAccessibleName(QString::fromUtf16(name));
        if (!widget->toolTip().isEmpty())
            widget->setAccessibleDescription(widget->toolTip());
    }
}

} // namespace

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
    SetupBoardPage(*this);
    SetupControlPage(*this);
    SetupSideColumn(*this);

    tmFlicker = CreateTimer(this, "tmFlicker", FlickerInterval);
    tmConnect = CreateTimer(this, "tmConnect", ConnectInterval);

    PieceSelectForm = new TPieceSelectForm(this);
    PieceSelectForm->hide();

    SetupTabOrder(*this);
    SetupAccessibleNames(*this);
    // Tool tips are switched for the whole window: every component passes its tool-tip
    // events through the window first.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    installEventFilter(this);
}

void TMainForm::ConnectHandlers() {
    connect(pcMain, &QTabWidget::currentChanged, this, [this](int index) {
        if (pcMain->widget(index) == tsBoard)
            tsBoardShow();
    });
    connect(BoardView, &TBoardView::Pressed, this, &TMainForm::dgBoardMouseDown);
    connect(BoardView, &TBoardView::ShownPlyChanged, this, [this](int ply, bool browsing) {
        if (browsing)
            MarkNotationLine(*mmAnnotation, ply > 0 ? (ply - 1) / 2 : -1);
        else
            RefreshNotation();
        DescribeBoard();
    });
    connect(tmFlicker, &QTimer::timeout, this, &TMainForm::tmFlickerTimer);
    connect(cbWhiteOnTop, &QCheckBox::toggled, this, &TMainForm::cbWhiteOnTopClick);
    connect(cbMarkLastMove, &QCheckBox::toggled, BoardView, &TBoardView::SetMarkLastMove);
    // Only the user's own change is written to the settings file.
    connect(cbMarkLastMove, &QCheckBox::clicked, this, &TMainForm::cbMarkLastMoveClick);
    connect(cbMoveSound, &QCheckBox::clicked, this, &TMainForm::cbMoveSoundClick);
    connect(cbMoveSound, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            MoveSound->Prepare();
    });
    connect(cbShowHints, &QCheckBox::toggled, this, &TMainForm::cbShowHintsClick);
    connect(btNew, &QPushButton::clicked, this, &TMainForm::btNewClick);
    connect(btLoad, &QPushButton::clicked, this, &TMainForm::btLoadClick);
    connect(btSave, &QPushButton::clicked, this, &TMainForm::btSaveClick);
    connect(btReturn, &QPushButton::clicked, this, &TMainForm::btReturnClick);
    connect(btRestore, &QPushButton::clicked, this, &TMainForm::btRestoreClick);
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
