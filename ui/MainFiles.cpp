// Saved games in the window: the save and load commands, the file named at start-up, and the
// boxes that say why a file could not be used.
#include "Main.h"
#include "PageControl.h"
#include "Prompts.h"
#include "Record.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

QStringList SavedGameFilters() {
    return {QStringLiteral("Сохраненные игры Korvalen (*.kvl)"), QStringLiteral("Все файлы (*)")};
}

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
