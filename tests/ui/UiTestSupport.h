// Shared by the window tests: scripted prompts and presses on board squares.
#pragma once

#include "BoardGrid.h"
#include "GameListDialog.h"
#include "GameSupport.h"
#include "Main.h"
#include "Prompts.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

// Answers the window's questions from a script and remembers what it was asked.
class TScriptedPrompts : public TPrompts {
public:
    struct Message {
        QMessageBox::Icon Icon;
        QString Caption;
        QString Text;
        QMessageBox::StandardButtons Buttons;
    };

    QList<Message> Messages;
    QStringList OpenAnswers; // taken from the front, one per open dialog; empty = cancel
    QStringList SaveAnswers;
    QList<int>
        SaveFilterAnswers; // the save dialog's choice at the end, one per dialog; 0 when none
    QList<QStringList> FiltersSeen;
    QList<QUrl> OpenedUrls;
    QMessageBox::StandardButton Answer = QMessageBox::Ok;

    QMessageBox::StandardButton ShowMessage(QWidget *, QMessageBox::Icon icon,
                                            const QString &caption, const QString &text,
                                            QMessageBox::StandardButtons buttons) override {
        Messages.append({icon, caption, text, buttons});
        return Answer;
    }
    QString OpenFileName(QWidget *, const QStringList &filters) override {
        FiltersSeen.append(filters);
        return OpenAnswers.isEmpty() ? QString() : OpenAnswers.takeFirst();
    }
    QString SaveFileName(QWidget *, const QStringList &filters, int *chosenFilter) override {
        FiltersSeen.append(filters);
        const int filter = SaveFilterAnswers.isEmpty() ? 0 : SaveFilterAnswers.takeFirst();
        if (chosenFilter)
            *chosenFilter = filter;
        return SaveAnswers.isEmpty() ? QString() : SaveAnswers.takeFirst();
    }
    bool OpenUrl(const QUrl &url) override {
        OpenedUrls.append(url);
        return true;
    }
    // The list of a collection's games is shown (not run modally) and the script works it with
    // keys; without a script the list is left with Escape.
    std::function<void(TGameListDialog &)> GameListScript;
    int GameListsShown = 0;
    int ChooseGame(TGameListDialog &dialog) override {
        ++GameListsShown;
        if (!GameListScript)
            return QDialog::Rejected;
        dialog.show();
        GameListScript(dialog);
        return dialog.result();
    }
};

// A window with scripted prompts; the window is shown (off screen) like the real one.
struct TTestWindow {
    explicit TTestWindow(const QString &folder) : Form(std::make_unique<TMainForm>(folder)) {
        auto prompts = std::make_unique<TScriptedPrompts>();
        Prompts = prompts.get();
        Form->SetPrompts(std::move(prompts));
        Form->InstalledHelpFile.clear();
        // The unfinished game is kept in the test's folder, never in the user's.
        Form->UseJournal(JournalFolder(folder));
        // Tests open the endpoints by calling the tick themselves; the 5-second timer would
        // listen on the port of the settings file, the default one when there is none.
        Form->tmConnect->stop();
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }
    TMainForm *operator->() const { return Form.get(); }
    static QString JournalFolder(const QString &folder) {
        return QDir(folder).filePath(QStringLiteral("state"));
    }

    std::unique_ptr<TMainForm> Form;
    TScriptedPrompts *Prompts = nullptr;
};

// A folder of its own with a window in it for each test function. A test class derives from it
// (after QObject), opens in init() (or opens the folder, writes files into it and then opens
// the window) and closes in cleanup().
class TWindowFixture {
protected:
    void OpenFolder() { Folder = std::make_unique<QTemporaryDir>(); }
    void OpenWindow() { Window = std::make_unique<TTestWindow>(Folder->path()); }
    void Open() {
        OpenFolder();
        OpenWindow();
    }
    // Keys of the window reach it while it is the active window.
    void OpenActive() {
        Open();
        Form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Window->Form.get()));
    }
    void Close() {
        Window.reset();
        Folder.reset();
    }

    TMainForm &Form() const { return *Window->Form; }
    TScriptedPrompts &Prompts() const { return *Window->Prompts; }
    QString PathOf(const QString &name) const { return QDir(Folder->path()).filePath(name); }

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TTestWindow> Window;
};

// Board index from a square name such as "e2".
inline int SquareIndex(const char *name) {
    return Square(name);
}

// The middle of the cell that shows this square in the window's orientation now.
inline QPoint CellCentre(const TMainForm &form, int index) {
    const QPoint cell = form.GridCellOf(index % 8, index / 8);
    return TBoardGrid::CellRect(cell.x(), cell.y()).center();
}

inline void PressSquare(const TMainForm &form, const char *name,
                        Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(form.dgBoard, button, {}, CellCentre(form, SquareIndex(name)));
}

// Plays moves given as "e2e4 e7e5 ..." with two presses each.
inline void PlayByPresses(const TMainForm &form, const QString &moves) {
    for (const QString &move : moves.split(u' ', Qt::SkipEmptyParts)) {
        const QByteArray text = move.toLatin1();
        PressSquare(form, text.left(2).constData());
        PressSquare(form, text.mid(2, 2).constData());
    }
}

// Where a person's keys go: to the widget with the focus in the window, or the window itself.
inline QWidget *KeyTarget(TMainForm &form) {
    return form.focusWidget() ? form.focusWidget() : &form;
}

inline void PressKey(TMainForm &form, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(KeyTarget(form), key, modifiers);
}

// Types the text one key at a time, as a keyboard of either script sends it.
inline void TypeKeys(TMainForm &form, const QString &text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, KeyTarget(form), Qt::Key(ch.toUpper().unicode()),
                            QString(ch), Qt::NoModifier);
}

// The pixels of one grid cell as the board canvas holds them.
inline QImage CellImage(const TMainForm &form, int gridColumn, int gridRow) {
    return form.dgBoard->Canvas().toImage().copy(TBoardGrid::CellRect(gridColumn, gridRow));
}

// Everything the user sees of a game, to show that a failed command changed nothing.
struct TShownGame {
    QStringList Record;
    QString Notation;
    QString Message;
    QImage Board;
    int Selected;

    explicit TShownGame(const TMainForm &form)
        : Record(form.CurrentGame->MoveRecord), Notation(form.mmAnnotation->toPlainText()),
          Message(form.edGameMessage->text()), Board(form.dgBoard->Canvas().toImage()),
          Selected(form.SelectedSquare) {}
    bool operator==(const TShownGame &) const = default;
};
