// The main window's layout: its components at their places, the tab order, the handlers
// wired to them and the owner-drawn tabs.
#include "BoardGrid.h"
#include "Keyboard.h"
#include "Main.h"
#include "PageControl.h"
#include "Pictures.h"
#include "PieceSelect.h"
#include "Protocol.h"
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

QLabel *CreateLabel(QWidget *parent, const char *name, const QString &caption, QPoint at) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(at);
    label->adjustSize();
    return label;
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
    SetupBoardPage();
    SetupControlPage();
    SetupSideColumn();

    tmFlicker = new QTimer(this);
    tmFlicker->setObjectName(QStringLiteral("tmFlicker"));
    tmFlicker->setInterval(FlickerInterval);

    tmConnect = new QTimer(this);
    tmConnect->setObjectName(QStringLiteral("tmConnect"));
    tmConnect->setInterval(ConnectInterval);

    PieceSelectForm = new TPieceSelectForm(this);
    PieceSelectForm->hide();

    SetupTabOrder();
    SetupAccessibleNames();
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
    ClickOnReturn(button);
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
    new TServerChooser(*edServerIP, *Session); // the servers found, beside it; owned by gbNet

    Label = CreateLabel(tsControl, "Label", QStringLiteral("Korvalen — © 2026, команда Korvalen"),
                        {12, 408});
    SetTextColor(Label, GrayTextColor(this));
}

void TMainForm::SetupSideColumn() {
    mmAnnotation = Create<TFocusMemo>(this, "mmAnnotation", {444, 31, 185, 236});
    mmAnnotation->setToolTip(QStringLiteral("Нотация"));
    mmAnnotation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont notationFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    notationFont.setPointSize(8);
    mmAnnotation->setFont(notationFont);
    ShowAsUsable(mmAnnotation, false);

    edGameMessage = Create<QLineEdit>(this, "edGameMessage", {444, 270, 185, 21});
    edGameMessage->setToolTip(QStringLiteral("Сообщения игры"));
    edGameMessage->setReadOnly(true);
    ShowAsUsable(edGameMessage, false);

    mmChat = Create<TFocusMemo>(this, "mmChat", {444, 301, 185, 126});
    mmChat->setToolTip(QStringLiteral("Все сообщения чата"));
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

// What a screen reader says of each control: its name, and its hint where it has one. Captions
// lose the blanks that pad them to the layout. Labels and windows are read by their texts.
void TMainForm::SetupAccessibleNames() {
    const std::array<std::pair<QWidget *, const char16_t *>, 22> names = {{
        {shConnect, u"Индикатор подключения: нет связи"},
        {pcMain, u"Страницы окна"},
        {tsBoard, u"Шахматная доска"},
        {dgBoard, u"Шахматная доска"},
        {tsControl, u"Настройки и управление"},
        {gbGame, u"Партия"},
        {btNew, u"Новая партия"},
        {btLoad, u"Загрузить из файла"},
        {btSave, u"Сохранить в файл"},
        {btReturn, u"Отменить ход"},
        {gbInterface, u"Интерфейс"},
        {cbWhiteOnTop, u"Белые наверху"},
        {cbShowHints, u"Показывать подсказки"},
        {btHelp, u"Помощь по программе"},
        {gbNet, u"Сеть"},
        {rbAsServer, u"Главный компьютер (сервер)"},
        {rbAsClient, u"Подчинённый компьютер (клиент)"},
        {edServerIP, u"IP-адрес сервера"},
        {mmAnnotation, u"Нотация партии"},
        {edGameMessage, u"Сообщение игры"},
        {mmChat, u"Чат"},
        {edChat, u"Ввод сообщения в чат"},
    }};
    pcMain->tabBar()->setAccessibleName(QStringLiteral("Страницы окна"));
    for (const auto &[widget, name] : names) {
        widget->setAccessibleName(QString::fromUtf16(name));
        if (!widget->toolTip().isEmpty())
            widget->setAccessibleDescription(widget->toolTip());
    }
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
