// The main window: the board page (a view of its own) and the settings-and-control page, the
// notation, the game-message line, the chat and the connection indicator. The handlers are
// public so that the network layer and the tests can call them as the events would.
#pragma once

#include "BoardView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QGroupBox;
class QPushButton;
class QRadioButton;
class QTimer;
struct TBadEntry;
class TClipboardCommands;
class TGameJournal;
struct TGameText;
class TMoveSound;
class TMoveTyping;
class TClientEndpoint;
class TNetSession;
class TPageControl;
class TPieceSelectForm;
class TPgnSource;
class TPortOpening;
class TPrompts;
class TServerEndpoint;
class TShape;

class TMainForm : public QWidget {
    Q_OBJECT

public:
    // folder: where the settings file and the help folder are looked for.
    explicit TMainForm(const QString &folder = QCoreApplication::applicationDirPath(),
                       QWidget *parent = nullptr);
    ~TMainForm() override;

    std::unique_ptr<TGame> CurrentGame; // never null once the window exists
    int SelectedSquare = -1;            // board index of the picked-up piece, -1 for none
    bool FlickerRaised = true;          // phase of the bobbing of the selected piece
    bool HintsShown = false;            // the window's tool-tip switch
    const QString ProgramFolder;
    QString InstalledHelpFile;      // looked at when no help page lies beside the program
    TBoardView *const BoardView;    // the board page, tsBoard
    const QList<QPixmap> &ilPieces; // the board view's twelve pictures
    TPrompts &Prompts() const { return *PromptsObject; }
    void SetPrompts(std::unique_ptr<TPrompts> prompts);

    void FormShow() { edChat->setFocus(); }
    void FormPaint() { BoardView->update(); }
    void StartNewGame();
    void pcMainDrawTab(QPainter &painter, int tabIndex, const QRect &rect, bool active) const;
    void DrawSquare(int index, bool raised) { BoardView->DrawSquare(index, raised); }
    // Every change of the game ends here: the board shows the game as it stands, described,
    // and the journal keeps it.
    void DrawBoard() {
        JournalGame();
        BoardView->ShowGame(*CurrentGame);
        DescribeBoard();
    }
    void UpdateCoordinateLabels() { BoardView->UpdateCoordinateLabels(); }
    void tsBoardShow() { DrawBoard(); }
    void cbWhiteOnTopClick() { BoardView->SetWhiteOnTop(cbWhiteOnTop->isChecked()); }
    void cbMarkLastMoveClick();
    void cbMoveSoundClick();
    QPoint GridCellOf(int column, int row) const { return BoardView->GridCellOf(column, row); }
    void dgBoardMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void tmFlickerTimer() { BoardView->Flicker(SelectedSquare, FlickerRaised); }
    void RefreshNotation();
    void UsePixelRatio(qreal ratio) { BoardView->UsePixelRatio(ratio); }
    void DescribeBoard(); // what a screen reader says of the board

    void btNewClick();
    void cbShowHintsClick();
    void btHelpClick();
    void btSaveClick();
    void btLoadClick();
    void btReturnClick();
    void btRestoreClick(); // the unfinished game kept in the journal, loaded as a file is
    void LoadGameFile(const QString &fileName); // as the Load button does; the command line's
    void LoadGame(const TGameText &game); // a file's lines or a pasted text, same checks
    // Keeps the unfinished game in a journal in `folder` from now on, and offers the one it
    // holds. The program's window keeps it in the user's state folder; test windows in their
    // own folders, and a window never told keeps none.
    void UseJournal(const QString &folder);
    std::unique_ptr<TGameJournal> Journal; // none until UseJournal

    QString IniFileName;                // the settings file, found once at start-up
    TNetSession *const Session;         // endpoints, role, sending and receiving; created first
    std::function<bool()> IsForeground; // this window or a dialog of its own is active
    std::function<void()> AlertDesktop; // the urgency hint; tests replace both
    void rbAsClientClick();
    void tmConnectTimer();
    void edServerIPChange();
    void cbOpenPortClick(); // opens the game's port on the router, or gives it back
    void ConnectionOpened();
    void ConnectionClosed();
    // Hands one message to the peer and runs 10000 passes of the event loop; false unconnected.
    bool SendNetMessage(const QString &text);
    void HandleNetMessage(const QString &text);
    void edChatKeyDown(int key, Qt::KeyboardModifiers shift);
    void SetAttention(bool flag); // the marker "Korvalen*" while in the background
    void ApplicationEventsActivate();
    void ApplicationEventsRestore();
    static void ShowAsUsable(QWidget *edit, bool usable); // window or button-face colour
    TShape *shConnect = nullptr;
    TPageControl *pcMain = nullptr;
    QWidget *tsBoard = nullptr, *tsControl = nullptr;
    // The board view's: lbDigit1 .. 8 bottom to top, lbLitera1 .. 8 left to right.
    std::array<QLabel *, 8> &lbDigit, &lbLitera;
    QFrame *&pnBoard;
    TBoardGrid *&dgBoard;
    QGroupBox *gbGame = nullptr, *gbInterface = nullptr, *gbNet = nullptr;
    QPushButton *btNew = nullptr, *btLoad = nullptr, *btSave = nullptr, *btReturn = nullptr;
    QPushButton *btRestore = nullptr;
    QCheckBox *cbWhiteOnTop = nullptr, *cbShowHints = nullptr, *cbMarkLastMove = nullptr;
    QCheckBox *cbMoveSound = nullptr; // a sound when the opponent's move arrives
    QPushButton *btHelp = nullptr;
    QRadioButton *rbAsServer = nullptr, *rbAsClient = nullptr;
    QCheckBox *cbOpenPort = nullptr; // off at every start, the server's only
    QLabel *lbPortState = nullptr;   // how opening the port went
    QLabel *lbIpAddress = nullptr, *Label = nullptr;
    QLineEdit *edServerIP = nullptr, *edGameMessage = nullptr, *edChat = nullptr;
    QPlainTextEdit *mmAnnotation = nullptr, *mmChat = nullptr;
    QTimer *tmFlicker = nullptr, *tmConnect = nullptr;
    TClientEndpoint *const ClientSocket; // the session's endpoints
    TServerEndpoint *const ServerSocket;
    TPieceSelectForm *PieceSelectForm = nullptr;
    TMoveTyping *MoveTyping = nullptr;       // moves typed on the board
    TClipboardCommands *Clipboard = nullptr; // games copied and pasted
    std::unique_ptr<TMoveSound> MoveSound;   // what cbMoveSound lets the player hear
    TPortOpening *PortOpening = nullptr;     // the box and the line of the router's port

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *) override { FormShow(); }
    void changeEvent(QEvent *event) override;

private:
    void SetupComponents();
    void ConnectHandlers();
    void ConnectNetworkHandlers();
    void ApplyNetworkSettings();
    TKind AskPromotionPiece(TColor color);
    void ReceiveMoveList(const QStringList &received);
    void ReceiveSelection(int square);
    void ReceiveChat(const QString &line);
    void ReceiveTakeBackRequest();
    void ReceiveTakeBackAnswer(bool consent);
    void TakeBackLastMove();
    void HearOpponentMove(); // when the player asked for it
    void WriteInterfaceSetting(const QString &key, bool on);
    bool WindowIsActive() const;
    void ShowFileProblem(const QString &caption, const QString &text);
    bool ConfirmReplace(const QString &fileName); // may an existing file be replaced?
    // Makes a record of legal moves the game; otherwise names the bad entry, the game kept.
    std::optional<TBadEntry> AdoptRecord(const QStringList &record);
    void JournalGame(); // hands the game to the journal after a change
    bool CanRestore() const;
    // A PGN text of several games asks which one to load; false for one game or none.
    bool ChooseCollectionGame(const std::shared_ptr<const TPgnSource> &source,
                              const QString &sourceName);
    std::unique_ptr<TPrompts> PromptsObject;
    bool PromotionDialogOpen = false; // a move waits for its promotion piece
    bool TakeBackQuestionOpen = false, TakeBackRefusalOpen = false; // one box of each kind
};

void SetupShortcuts(TMainForm &form); // each key runs the handler its button's click runs
