// Everything the window asks of the desktop: message boxes, the file dialogs and the opener
// for documents. The window reaches them only through this object, so tests can script the
// answers with a subclass.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QUrl;
class QWidget;
class TGameListDialog;

class TPrompts {
public:
    TPrompts() = default;
    TPrompts(const TPrompts &) = delete;
    TPrompts &operator=(const TPrompts &) = delete;
    virtual ~TPrompts();

    // A modal message box; answers the button pressed (the escape button when it is closed).
    virtual QMessageBox::StandardButton ShowMessage(QWidget *parent, QMessageBox::Icon icon,
                                                    const QString &caption, const QString &text,
                                                    QMessageBox::StandardButtons buttons);
    // The chosen file, or the empty text when the user cancels. Each filter is a name followed
    // by its patterns in parentheses; the dialogs show the names only.
    virtual QString OpenFileName(QWidget *parent, const QStringList &filters);
    // *chosenFilter (when given) is the position of the choice the dialog showed at the end.
    virtual QString SaveFileName(QWidget *parent, const QStringList &filters,
                                 int *chosenFilter = nullptr);
    // Hands a document to the desktop's opener; false when the desktop refused it.
    virtual bool OpenUrl(const QUrl &url);
    // The list of a PGN collection's games, run modally; answers QDialog::Accepted for a pick.
    virtual int ChooseGame(TGameListDialog &dialog);
};
