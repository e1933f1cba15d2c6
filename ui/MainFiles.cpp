// Saved games in the window: the save and load commands, the file named at start-up, the game
// pasted from the clipboard, and the boxes that say why a file or a text could not be used.
#include "GameFiles.h"
#include "Main.h"
#include "PageControl.h"
#include "PgnIndex.h"
#include "Prompts.h"
#include "Record.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace {

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

void TMainForm::ShowFileProblem(const QString &caption, const QString &text) {
    Prompts().ShowMessage(this, QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

bool TMainForm::ConfirmReplace(const QString &fileName) {
    return Prompts().ShowMessage(
               this, QMessageBox::Question, QStringLiteral("Сохранение партии"),
               QStringLiteral("Файл\n%1\nуже существует. Заменить его?")
                   .arg(QDir::toNativeSeparators(fileName)),
               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TMainForm::btSaveClick() {
    int chosenFilter = 0;
    const QString chosenName = Prompts().SaveFileName(this, SavedGameFilters(), &chosenFilter);
    if (chosenName.isEmpty())
        return;
    QString fileName = chosenName;
    const bool asPgn = HasPgnName(fileName) || chosenFilter == PgnFilterIndex;
    // Anything that already names the extension somewhere is used as it is.
    if (asPgn && !HasPgnName(fileName))
        fileName += QStringLiteral(".pgn");
    else if (!asPgn && !fileName.contains(QStringLiteral(".kvl")))
        fileName += QStringLiteral(".kvl");
    // The dialog asked about the name as typed; a file under the name with its extension added
    // is someone's game too.
    if (fileName != chosenName && QFileInfo::exists(fileName) && !ConfirmReplace(fileName))
        return;
    QStringList lines = CurrentGame->MoveRecord;
    if (asPgn) {
        // The PGN text goes through the same safe write, one line at a time.
        lines = PgnTextOfRecord(CurrentGame->MoveRecord).split(u'\n');
        lines.removeLast();
    }
    QString reason;
    if (!WriteSavedGame(fileName, lines, &reason)) {
        ShowFileProblem(
            QStringLiteral("Сохранение партии"),
            QStringLiteral("Не удалось сохранить партию в файл\n%1\n\nПричина: %2.")
                .arg(QDir::toNativeSeparators(fileName), FileProblem(fileName, true, reason)));
    }
}

void TMainForm::btLoadClick() {
    const QString fileName = Prompts().OpenFileName(this, SavedGameFilters());
    if (!fileName.isEmpty())
        LoadGameFile(fileName);
}

void TMainForm::LoadGameFile(const QString &fileName) {
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (const std::shared_ptr<const TPgnSource> pgn = PgnFileSource(fileName);
        pgn && ChooseCollectionGame(pgn, QStringLiteral("Файл\n") + shownName))
        return;
    QString reason;
    const std::optional<QStringList> lines = ReadSavedGame(fileName, &reason);
    if (!lines) {
        ShowFileProblem(QStringLiteral("Загрузка партии"),
                        QStringLiteral("Не удалось прочитать файл\n%1\n\nПричина: %2.\n\n"
                                       "Текущая партия не изменилась.")
                            .arg(shownName, FileProblem(fileName, false, reason)));
        return;
    }
    LoadGame(FileGame(shownName, *lines, HasPgnName(fileName)));
}

void TMainForm::LoadGame(const TGameText &game) {
    const auto refuse = [this, &game](const QString &what) {
        ShowFileProblem(
            QStringLiteral("Загрузка партии"),
            QStringLiteral("%1\n%2.\n\nТекущая партия не изменилась.").arg(game.Source, what));
    };
    if (!game.Problem.isEmpty()) {
        refuse(game.Problem);
        return;
    }
    if (game.Pgn && game.Number == 0 &&
        ChooseCollectionGame(TPgnSource::OfBytes(game.Lines.join(u'\n').toUtf8()), game.Source))
        return;
    // Text that is not a game must not cost the player the game on the board.
    std::optional<QStringList> record = game.Lines;
    if (game.Pgn) {
        QString problem;
        record = RecordOfPgnText(game.Lines.join(u'\n'), &problem, std::max<qsizetype>(game.Number, 1));
        if (!record) {
            refuse(QStringLiteral("не удалось прочитать как партию в формате PGN: ") + problem);
            return;
        }
    }
    if (const std::optional<TBadEntry> bad = AdoptRecord(*record)) {
        refuse(QStringLiteral("не является сохранённой партией Korvalen: ") +
               BadLineProblem(*record, *bad));
        return;
    }
    SelectedSquare = -1;
    RefreshNotation();
    if (pcMain->currentWidget() == tsBoard)
        DrawBoard();
    else
        pcMain->setCurrentWidget(tsBoard); // showing the page redraws the board
}

// Checked and played in one pass on a game of its own, so a bad record leaves the game in play
// alone. A promotion without a letter is asked as at the board; the question runs the event
// loop, so the game is read afresh before it is replaced.
std::optional<TBadEntry> TMainForm::AdoptRecord(const QStringList &record) {
    TReplay replay = ReplayRecord(record, CurrentGame->PromotionHook);
    if (replay.Bad)
        return replay.Bad;
    CurrentGame->Adopt(std::move(*replay.Game));
    return std::nullopt;
}
