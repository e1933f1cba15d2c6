// The main window: a page control with the board page and the settings-and-control page, and
// beside it the notation, the game-message line, the chat and the connection indicator.
// The program's behaviour lives in the handlers below; they are public so that the network
// layer and the tests can call them as the events would.
#pragma once

#include "Board.h"

#include <QCoreApplication>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class TBoardGrid;
struct TBadEntry;
class TClipboardCommands;
struct TGameText;
class TMoveTyping;
class TClientEndpoint;
class TNetSession;
class TPageControl;
class TPieceSelectForm;
class TPrompts;
class TServerEndpoint;
class TShape;

// Square colours of the board.
QColor DarkSquareColor();
QColor LightSquareColor();

class TMainForm : public QWidget {
    Q_OBJECT

public:
    // folder: where the settings file and the help folder are looked for.
    explicit TMainForm(const QString &folder = QCoreApplication::applicationDirPath(),
                       QWidget *parent = nullptr);
    ~TMainForm() override;

    // ---- Main-window state --------------------------------------------------------------
    std::unique_ptr<TGame> CurrentGame; // never null once the window exists
    int SelectedSquare = -1;            // board index of the picked-up piece, -1 for none
    bool FlickerRaised = true;          // phase of the bobbing of the selected piece
    bool HintsShown = false;            // the window's tool-tip switch
    const QString ProgramFolder;
    // The help page of an installed program; looked at when none lies beside the program.
    QString InstalledHelpFile;

    TPrompts &Prompts() const { return *PromptsObject; }
    void SetPrompts(std::unique_ptr<TPrompts> prompts);

    // ---- Start-up, new game, tabs ---------------------------------------------------------
    void FormShow();
    void FormPaint();
    void StartNewGame();
    void pcMainDrawTab(QPainter &painter, int tabIndex, const QRect &rect, bool active) const;

    // ---- Board rendering ------------------------------------------------------------------
    void DrawSquare(int index, bool raised);
    void DrawBoard();
    void UpdateCoordinateLabels();
    void tsBoardShow();
    void cbWhiteOnTopClick();
    // Grid cell (column, row from the top) of a board square, and the board index of a cell,
    // in the orientation chosen now.
    QPoint GridCellOf(int column, int row) const;
    int SquareAtCell(int gridColumn, int gridRow) const;

    // ---- Board input ----------------------------------------------------------------------
    void dgBoardMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void tmFlickerTimer();
    void RefreshNotation();

    // ---- Game commands, saved games -------------------------------------------------------
    void btNewClick();
    void cbShowHintsClick();
    void btHelpClick();
    void btSaveClick();
    void btLoadClick();
    void btReturnClick();
    // Loads a saved game or a PGN file as the Load button does, boxes included; the file
    // named on the command line comes this way.
    void LoadGameFile(const QString &fileName);
    // Loads the lines of a file or a pasted text, with the same checks and boxes.
    void LoadGame(const TGameText &game);
    // The help page that btHelp opens: beside the program, else the installed one; empty when
    // there is none.
    QString HelpFileName() const;
    // Where the help page is looked for, in that order.
    QStringList HelpFilePlaces() const;

    // ---- Network --------------------------------------------------------------------------
    // The settings file, found once at start-up.
    QString IniFileName;
    // The network side of the window: endpoints, role, sending and receiving; created first.
    TNetSession *const Session;
    // Whether the program is in the foreground as far as this window is concerned: it, or a
    // dialog of its own, is the active window. Tests replace it, since an off-screen window
    // may or may not become active.
    std::function<bool()> IsForeground;
    // Asks the desktop to draw the user's eye to the window (an urgency hint, a flashing
    // taskbar entry); the desktop ends it when the window is activated. Tests replace it.
    std::function<void()> AlertDesktop;

    void rbAsClientClick();
    void tmConnectTimer();
    void edServerIPChange();
    void ConnectionOpened();
    void ConnectionClosed();
    // Hands one message to the connected peer and lets the event loop run 10000 passes; false
    // at once when there is no connection.
    bool SendNetMessage(const QString &text);
    void HandleNetMessage(const QString &text);
    void edChatKeyDown(int key, Qt::KeyboardModifiers shift);
    // The attention marker "Korvalen*" in the title while the program is in the background.
    void SetAttention(bool flag);
    void ApplicationEventsActivate();
    void ApplicationEventsRestore();

    // An edit in its usable look (window colour) or its unusable one (button-face colour).
    static void ShowAsUsable(QWidget *edit, bool usable);

    // ---- Screen scale, keyboard, screen reader ---------------------------------------------
    // Draws the board canvas and the piece pictures for this device pixel ratio from now on
    // (every paint of the window passes the ratio of the grid's screen); only a new ratio
    // draws the pictures afresh.
    void UsePixelRatio(qreal ratio);
    // What a screen reader says of the board: whose move it is, check, mate or stalemate.
    QString BoardDescription();
    void DescribeBoard();
    // The next page (step 1) or the previous one (step -1), round the page control.
    void StepPage(int step);

    // ---- Components ---------------------------------------------------------------------------
    TShape *shConnect = nullptr;
    TPageControl *pcMain = nullptr;
    QWidget *tsBoard = nullptr;
    std::array<QLabel *, 8> lbDigit{};  // lbDigit1 .. lbDigit8, bottom to top
    std::array<QLabel *, 8> lbLitera{}; // lbLitera1 .. lbLitera8, left to right
    QFrame *pnBoard = nullptr;
    TBoardGrid *dgBoard = nullptr;
    QWidget *tsControl = nullptr;
    QGroupBox *gbGame = nullptr;
    QPushButton *btNew = nullptr;
    QPushButton *btLoad = nullptr;
    QPushButton *btSave = nullptr;
    QPushButton *btReturn = nullptr;
    QGroupBox *gbInterface = nullptr;
    QCheckBox *cbWhiteOnTop = nullptr;
    QCheckBox *cbShowHints = nullptr;
    QPushButton *btHelp = nullptr;
    QGroupBox *gbNet = nullptr;
    QRadioButton *rbAsServer = nullptr;
    QRadioButton *rbAsClient = nullptr;
    QLabel *lbIpAddress = nullptr;
    QLineEdit *edServerIP = nullptr;
    QLabel *Label = nullptr;
    QPlainTextEdit *mmAnnotation = nullptr;
    QLineEdit *edGameMessage = nullptr;
    QPlainTextEdit *mmChat = nullptr;
    QLineEdit *edChat = nullptr;
    QTimer *tmFlicker = nullptr;
    TClientEndpoint *const ClientSocket; // the session's endpoints
    TServerEndpoint *const ServerSocket;
    QTimer *tmConnect = nullptr;
    TPieceSelectForm *PieceSelectForm = nullptr;
    QList<QPixmap> ilPieces; // the twelve board pictures

    // Moves typed on the board, and games copied and pasted.
    TMoveTyping *MoveTyping = nullptr;
    TClipboardCommands *Clipboard = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void SetupComponents();
    void SetupBoardPage();
    void SetupControlPage();
    void SetupSideColumn();
    void SetupTabOrder();
    void ConnectHandlers();
    void SetupShortcuts();
    void SetupAccessibleNames();
    void ConnectNetworkHandlers();
    void ApplyNetworkSettings();
    TKind AskPromotionPiece(TColor color);
    void ReceiveMoveList(const QStringList &received);
    void ReceiveSelection(int square);
    void ReceiveChat(const QString &line);
    void ReceiveTakeBackRequest();
    void ReceiveTakeBackAnswer(bool consent);
    void TakeBackLastMove();
    bool WindowIsActive() const;
    QPushButton *AddPictureButton(QWidget *parent, const char *name, const QString &caption,
                                  const QString &picture, const QRect &geometry);
    void ShowFileProblem(const QString &caption, const QString &text);
    // Asks whether an existing file may be replaced by the saved game.
    bool ConfirmReplace(const QString &fileName);
    // Checks a record and, when every entry is a legal move, makes it the game; otherwise
    // names the bad entry and leaves the game as it was.
    std::optional<TBadEntry> AdoptRecord(const QStringList &record);

    std::unique_ptr<TPrompts> PromptsObject;
    bool InFormPaint = false;
    bool PromotionDialogOpen = false; // a move waits for its promotion piece
    // At most one take-back box of each kind is open; repeats that come meanwhile are dropped.
    bool TakeBackQuestionOpen = false;
    bool TakeBackRefusalOpen = false;
};
