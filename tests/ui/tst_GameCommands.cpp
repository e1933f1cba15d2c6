// The commands of the control page: new game, take-back at one computer, help, and saving and
// loading games through the window's prompts.
#include "GameFiles.h"
#include "Main.h"
#include "PageControl.h"
#include "PieceSelect.h"
#include "ProgramArguments.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QByteArray FileBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

bool WriteFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestGameCommands : public QObject, protected TWindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newGameInTheMiddleOfAGame();
    void takeBackAtOneComputer();
    void help_data();
    void help();
    void helpOfAnInstalledTreeMovedElsewhere();

    void saveThenLoadRoundTrip();
    void saveNaming_data();
    void saveNaming();
    void existingFileUnderTheAddedExtensionIsAskedAbout_data();
    void existingFileUnderTheAddedExtensionIsAskedAbout();
    void cancelledDialogsChangeNothing();
    void badFileKeepsTheGame_data();
    void badFileKeepsTheGame();
    void promotionAnswerThatSpoilsTheRecordKeepsTheGame_data();
    void promotionAnswerThatSpoilsTheRecordKeepsTheGame();
    void unreadableFileKeepsTheGame_data();
    void unreadableFileKeepsTheGame();
    void unwritableFileReported();

    void pgnRoundTripOfEverySpecialMove();
    void pgnNaming_data();
    void pgnNaming();
    void pgnLoadsByNameOrText_data();
    void pgnLoadsByNameOrText();
    void badPgnKeepsTheGame_data();
    void badPgnKeepsTheGame();
    void binaryFileQuotedPrintably();

    void programArguments_data();
    void programArguments();
    void fileGivenAtStartUp();
};

void TestGameCommands::init() {
    Open();
}

void TestGameCommands::cleanup() {
    Close();
}

void TestGameCommands::newGameInTheMiddleOfAGame() {
    TMainForm &form = Form();
    const QImage initialBoard = form.dgBoard->Canvas().toImage();
    PlayByPresses(form, "e2e4 f7f6 d1h5");
    QCOMPARE(form.edGameMessage->text(), QStringLiteral("Шах!"));
    PressSquare(form, "g7"); // a piece is picked up and bobbing
    form.tmFlickerTimer();
    form.tmFlickerTimer();
    QCOMPARE(form.SelectedSquare, SquareIndex("g7"));
    form.pcMain->setCurrentWidget(form.tsControl);

    form.btNew->click();
    QCOMPARE(form.SelectedSquare, -1);
    QVERIFY(form.CurrentGame->MoveRecord.isEmpty());
    QCOMPARE(form.mmAnnotation->toPlainText(), QString());
    QCOMPARE(form.edGameMessage->text(), QString());
    QCOMPARE(form.pcMain->currentWidget(), form.tsBoard);
    QCOMPARE(form.dgBoard->Canvas().toImage(), initialBoard);
    QVERIFY(Prompts().Messages.isEmpty());
    // The new game is played with the same dialog and message line.
    PlayByPresses(form, "f2f3 e7e5 g2g4 d8h4");
    QCOMPARE(form.edGameMessage->text(), QStringLiteral("Мат!"));
}

void TestGameCommands::takeBackAtOneComputer() {
    TMainForm &form = Form();
    PlayByPresses(form, "f2f3 e7e5 g2g4 d8h4");
    QCOMPARE(form.edGameMessage->text(), QStringLiteral("Мат!"));
    form.btReturn->click();
    QVERIFY(Prompts().Messages.isEmpty()); // no one to ask, so no box
    QCOMPARE(form.CurrentGame->MoveRecord, QStringList({"13>21", "52>36", "14>30"}));
    QCOMPARE(form.mmAnnotation->toPlainText(), form.CurrentGame->Notation.join(u'\n'));
    QCOMPARE(form.mmAnnotation->toPlainText().count(u'\n'), 1);
    // Black may move again after the mate was taken back.
    form.pcMain->setCurrentWidget(form.tsBoard);
    PlayByPresses(form, "g8f6");
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 4);
    // Taking back everything, and once more, leaves the initial position.
    for (int i = 0; i < 5; ++i)
        form.btReturnClick();
    QVERIFY(form.CurrentGame->MoveRecord.isEmpty());
    QCOMPARE(form.mmAnnotation->toPlainText(), QString());
}

void TestGameCommands::help_data() {
    QTest::addColumn<bool>("beside");
    QTest::addColumn<bool>("installed");
    QTest::newRow("beside the program") << true << false;
    QTest::newRow("beside wins over installed") << true << true;
    QTest::newRow("installed only") << false << true;
    QTest::newRow("missing") << false << false;
}

void TestGameCommands::help() {
    QFETCH(bool, beside);
    QFETCH(bool, installed);
    const QString besidePath = PathOf("help/index.html");
    QTemporaryDir installDir;
    const QString installedPath = QDir(installDir.path()).filePath("korvalen/help/index.html");
    if (beside) {
        QVERIFY(QDir(Folder->path()).mkpath("help"));
        QVERIFY(WriteFile(besidePath, "<html></html>"));
    }
    if (installed) {
        QVERIFY(QDir(installDir.path()).mkpath("korvalen/help"));
        QVERIFY(WriteFile(installedPath, "<html></html>"));
    }
    Form().InstalledHelpFile = installedPath;

    Form().btHelp->click();
    if (beside || installed) {
        QCOMPARE(Prompts().OpenedUrls,
                 QList<QUrl>{QUrl::fromLocalFile(beside ? besidePath : installedPath)});
        QVERIFY(Prompts().Messages.isEmpty());
        return;
    }
    QVERIFY(Prompts().OpenedUrls.isEmpty());
    QCOMPARE(Prompts().Messages.size(), 1);
    const TScriptedPrompts::Message &box = Prompts().Messages.constFirst();
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QCOMPARE(box.Caption, QStringLiteral("Поиск файла справки"));
    // The box says where the page was looked for: beside the program first, the installed
    // page last.
    const QStringList lines = box.Text.split(u'\n');
    QCOMPARE(lines.mid(0, 3), QStringList({QStringLiteral("Файл справки не найден."), QString(),
                                           QStringLiteral("Программа искала его здесь:")}));
    QCOMPARE(lines.value(3), QDir::toNativeSeparators(besidePath));
    QCOMPARE(lines.constLast(), QDir::toNativeSeparators(installedPath));
    QCOMPARE(box.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

// An installed tree (bin/ beside share/) finds its page wherever the tree was put.
void TestGameCommands::helpOfAnInstalledTreeMovedElsewhere() {
    QTemporaryDir prefix;
    const QDir root(prefix.path());
    QVERIFY(root.mkpath("bin") && root.mkpath("share/korvalen/help"));
    const QString page = root.filePath("share/korvalen/help/index.html");
    QVERIFY(WriteFile(page, "<html></html>"));

    TTestWindow window(root.filePath("bin"));
    window->btHelp->click();
    QCOMPARE(window.Prompts->OpenedUrls, QList<QUrl>{QUrl::fromLocalFile(page)});
    QVERIFY(window.Prompts->Messages.isEmpty());
}

void TestGameCommands::saveThenLoadRoundTrip() {
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4 e7e5 g1f3");
    Prompts().SaveAnswers = {PathOf("game")};
    form.btSave->click();
    QCOMPARE(FileBytes(PathOf("game.kvl")), QByteArray("12>28\r\n52>36\r\n6>21\r\n"));
    QCOMPARE(Prompts().FiltersSeen.size(), 1);
    QCOMPARE(Prompts().FiltersSeen.constFirst(),
             QStringList({"Сохраненные игры Korvalen (*.kvl)", "Все файлы (*)",
                          "Партии в формате PGN (*.pgn)"}));
    const TShownGame saved(form);

    form.btNewClick();
    form.pcMain->setCurrentWidget(form.tsControl);
    Prompts().OpenAnswers = {PathOf("game.kvl")};
    form.btLoad->click();
    QCOMPARE(TShownGame(form), saved);
    QCOMPARE(form.pcMain->currentWidget(), form.tsBoard);
    QVERIFY(Prompts().Messages.isEmpty());
    // The loaded game goes on.
    PlayByPresses(form, "b8c6");
    QCOMPARE(form.CurrentGame->MoveRecord.size(), 4);

    // An empty game saves as an empty file and loads as a new game.
    form.btNewClick();
    Prompts().SaveAnswers = {PathOf("empty.kvl")};
    form.btSaveClick();
    QCOMPARE(FileBytes(PathOf("empty.kvl")), QByteArray());
    PlayByPresses(form, "d2d4");
    Prompts().OpenAnswers = {PathOf("empty.kvl")};
    form.btLoadClick();
    QVERIFY(form.CurrentGame->MoveRecord.isEmpty());
    QCOMPARE(form.mmAnnotation->toPlainText(), QString());
}

void TestGameCommands::saveNaming_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "game"
                                  << "game.kvl";
    QTest::newRow("extension") << "game.kvl"
                               << "game.kvl";
    QTest::newRow("extension inside") << "old.kvl.bak"
                                      << "old.kvl.bak";
    QTest::newRow("capitals are not the extension") << "GAME.KVL"
                                                    << "GAME.KVL.kvl";
    QTest::newRow("other extension") << "game.txt"
                                     << "game.txt.kvl";
}

void TestGameCommands::saveNaming() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    PlayByPresses(Form(), "d2d4");
    Prompts().SaveAnswers = {PathOf(chosen)};
    Form().btSaveClick();
    QCOMPARE(QDir(Folder->path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(FileBytes(PathOf(written)), QByteArray("11>27\r\n"));
}

void TestGameCommands::existingFileUnderTheAddedExtensionIsAskedAbout_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("saved game, no") << "game" << 0 << "game.kvl" << int(QMessageBox::No) << false;
    QTest::newRow("saved game, yes") << "game" << 0 << "game.kvl" << int(QMessageBox::Yes) << true;
    QTest::newRow("pgn, no") << "game" << PgnFilterIndex << "game.pgn" << int(QMessageBox::No)
                             << false;
}

// The dialog asks about the name typed; "game" must not silently replace "game.kvl".
void TestGameCommands::existingFileUnderTheAddedExtensionIsAskedAbout() {
    QFETCH(QString, chosen);
    QFETCH(int, filter);
    QFETCH(QString, existing);
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    const QByteArray before("someone else's game\r\n");
    QFile file(PathOf(existing));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(before);
    file.close();
    PlayByPresses(Form(), "d2d4");
    Prompts().SaveAnswers = {PathOf(chosen)};
    Prompts().SaveFilterAnswers = {filter};
    Prompts().Answer = QMessageBox::StandardButton(answer);
    Form().btSaveClick();
    QCOMPARE(Prompts().Messages.size(), 1);
    QCOMPARE(Prompts().Messages.constFirst().Icon, QMessageBox::Question);
    QVERIFY(
        Prompts().Messages.constFirst().Text.contains(QDir::toNativeSeparators(PathOf(existing))));
    QCOMPARE(FileBytes(PathOf(existing)) != before, replaced);
}

void TestGameCommands::cancelledDialogsChangeNothing() {
    PlayByPresses(Form(), "d2d4");
    const TShownGame before(Form());
    Form().btSaveClick();
    Form().btLoadClick();
    QCOMPARE(Prompts().FiltersSeen.size(), 2);
    QVERIFY(QDir(Folder->path()).entryList(QDir::Files).isEmpty());
    QCOMPARE(TShownGame(Form()), before);
    QVERIFY(Prompts().Messages.isEmpty());
}

void TestGameCommands::badFileKeepsTheGame_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line"); // what the box must say of the bad line
    QTest::newRow("illegal first move") << QByteArray("12>36\r\n") << "строка 1 («12>36»)";
    QTest::newRow("black moves first") << QByteArray("52>36\r\n") << "строка 1 («52>36»)";
    QTest::newRow("empty line inside") << QByteArray("12>28\r\n\r\n52>36\r\n") << "строка 2 пустая";
    QTest::newRow("extra line end") << QByteArray("12>28\r\n\r\n") << "строка 2 пустая";
    QTest::newRow("not a record") << QByteArray("Hello, world\n") << "строка 1 («Hello, world»)";
    QTest::newRow("off the board") << QByteArray("12>28\n52>99\n") << "строка 2 («52>99»)";
}

void TestGameCommands::badFileKeepsTheGame() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4 f7f6 d1h5");
    PressSquare(form, "g7");
    const TShownGame before(form);
    QVERIFY(WriteFile(PathOf("bad.kvl"), bytes));
    form.pcMain->setCurrentWidget(form.tsControl);
    Prompts().OpenAnswers = {PathOf("bad.kvl")};

    form.btLoadClick();
    QCOMPARE(TShownGame(form), before);
    QCOMPARE(form.edGameMessage->text(), QStringLiteral("Шах!"));
    QCOMPARE(Prompts().Messages.size(), 1);
    const TScriptedPrompts::Message &box = Prompts().Messages.constFirst();
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QCOMPARE(box.Caption, QStringLiteral("Загрузка партии"));
    QCOMPARE(box.Text, QStringLiteral("Файл\n%1\nне является сохранённой партией Korvalen: %2"
                                      " не является допустимым ходом.\n\n"
                                      "Текущая партия не изменилась.")
                           .arg(QDir::toNativeSeparators(PathOf("bad.kvl")), line)
                           .replace(QStringLiteral("пустая не является допустимым ходом"),
                                    QStringLiteral("пустая")));
}

void TestGameCommands::promotionAnswerThatSpoilsTheRecordKeepsTheGame_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("queen") << "btQueen" << true;
    QTest::newRow("knight") << "btKnight" << false;
}

// b7xa8 names no piece, so the player is asked; the promoted piece then goes a8-b7, which a
// knight cannot. The game on the board must survive that answer.
void TestGameCommands::promotionAnswerThatSpoilsTheRecordKeepsTheGame() {
    QFETCH(QString, button);
    QFETCH(bool, loaded);
    const QByteArray record = "8>24\r\n49>33\r\n24>33\r\n48>40\r\n33>40\r\n58>49\r\n40>49\r\n"
                              "54>46\r\n49>56\r\n55>47\r\n56>49\r\n";
    QVERIFY(WriteFile(PathOf("promotion.kvl"), record));
    TMainForm &form = Form();
    PlayByPresses(form, "d2d4");
    const TShownGame before(form);
    Prompts().OpenAnswers = {PathOf("promotion.kvl")};
    bool asked = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<TPieceSelectForm *>(QApplication::activeModalWidget())) {
            asked = true;
            QTest::mouseClick(dialog->findChild<QToolButton *>(button), Qt::LeftButton);
        }
    });
    answer.start(5);
    form.btLoadClick();
    QVERIFY(asked);
    QCOMPARE(Prompts().Messages.isEmpty(), loaded);
    if (loaded)
        QCOMPARE(form.CurrentGame->MoveRecord.size(), 11);
    else
        QCOMPARE(TShownGame(form), before);
}

void TestGameCommands::unreadableFileKeepsTheGame_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "nowhere.kvl"
                             << "файл не найден";
    QTest::newRow("a folder") << "folder.kvl"
                              << "это папка, а не файл";
}

void TestGameCommands::unreadableFileKeepsTheGame() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(QDir(Folder->path()).mkdir("folder.kvl"));
    PlayByPresses(Form(), "e2e4");
    const TShownGame before(Form());
    Prompts().OpenAnswers = {PathOf(name)};
    Form().btLoadClick();
    QCOMPARE(TShownGame(Form()), before);
    QCOMPARE(Prompts().Messages.size(), 1);
    QCOMPARE(Prompts().Messages.constFirst().Icon, QMessageBox::Critical);
    QCOMPARE(Prompts().Messages.constFirst().Text,
             QStringLiteral("Не удалось прочитать файл\n%1\n\nПричина: %2.\n\n"
                            "Текущая партия не изменилась.")
                 .arg(QDir::toNativeSeparators(PathOf(name)), reason));
}

void TestGameCommands::unwritableFileReported() {
    PlayByPresses(Form(), "e2e4");
    const TShownGame before(Form());
    const QString target = PathOf("no-such-folder/game");
    Prompts().SaveAnswers = {target};
    Form().btSaveClick();
    QCOMPARE(TShownGame(Form()), before);
    QCOMPARE(Prompts().Messages.size(), 1);
    const TScriptedPrompts::Message &box = Prompts().Messages.constFirst();
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QCOMPARE(box.Caption, QStringLiteral("Сохранение партии"));
    QCOMPARE(box.Text,
             QStringLiteral("Не удалось сохранить партию в файл\n%1\n\nПричина: папка «%2» "
                            "не существует.")
                 .arg(QDir::toNativeSeparators(target + ".kvl"),
                      QDir::toNativeSeparators(PathOf("no-such-folder"))));
    QVERIFY(!QFile::exists(target + ".kvl"));

    // Saving over a folder's name: reported, and the folder is left alone.
    QVERIFY(QDir(Folder->path()).mkdir("taken.kvl"));
    Prompts().SaveAnswers = {PathOf("taken.kvl")};
    Form().btSaveClick();
    QCOMPARE(Prompts().Messages.size(), 2);
    QVERIFY(Prompts().Messages.last().Text.contains(QStringLiteral("это папка, а не файл")));
    QVERIFY(QFileInfo(PathOf("taken.kvl")).isDir());
}

// Castling both ways, en passant and a promotion to a knight, then a mate: saved as PGN through the
// window and loaded back into a fresh game.
void TestGameCommands::pgnRoundTripOfEverySpecialMove() {
    TMainForm &form = Form();
    const QStringList record = {"12>28", "51>35", "28>36",   "53>37", "36>45", "55>47",
                                "45>54", "59>51", "54>63,K", "57>42", "6>21",  "49>41",
                                "5>12",  "58>49", "4>6",     "60>58"};
    QVERIFY(form.CurrentGame->ReplayMoves(record));
    Prompts().SaveAnswers = {PathOf("special")};
    Prompts().SaveFilterAnswers = {PgnFilterIndex};
    form.btSaveClick();
    const QByteArray pgn = FileBytes(PathOf("special.pgn"));
    QVERIFY2(pgn.startsWith("[Event \"?\"]\r\n"), pgn.constData());
    QVERIFY(pgn.contains("[White \"?\"]\r\n[Black \"?\"]\r\n[Result \"*\"]\r\n"));
    QVERIFY(pgn.contains("exf6") && pgn.contains("gxh8=N") && pgn.contains("O-O-O"));
    QVERIFY(pgn.endsWith(" *\r\n\r\n"));

    form.btNewClick();
    Prompts().OpenAnswers = {PathOf("special.pgn")};
    form.btLoadClick();
    QVERIFY(Prompts().Messages.isEmpty());
    QCOMPARE(form.CurrentGame->MoveRecord, record);
    QCOMPARE(form.mmAnnotation->toPlainText(), form.CurrentGame->Notation.join(u'\n'));

    // A mate gives the result.
    form.btNewClick();
    PlayByPresses(form, "f2f3 e7e5 g2g4 d8h4");
    Prompts().SaveAnswers = {PathOf("mate.pgn")};
    form.btSaveClick();
    QVERIFY(FileBytes(PathOf("mate.pgn")).contains("[Result \"0-1\"]\r\n"));
    QVERIFY(FileBytes(PathOf("mate.pgn")).endsWith("Qh4# 0-1\r\n\r\n"));
}

void TestGameCommands::pgnNaming_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("pgn");
    QTest::newRow("pgn name") << "game.pgn" << 0 << "game.pgn" << true;
    QTest::newRow("pgn name in capitals") << "GAME.PGN" << 0 << "GAME.PGN" << true;
    QTest::newRow("pgn choice") << "game" << PgnFilterIndex << "game.pgn" << true;
    QTest::newRow("pgn choice, other name")
        << "game.txt" << PgnFilterIndex << "game.txt.pgn" << true;
    QTest::newRow("all files choice") << "game" << 1 << "game.kvl" << false;
}

void TestGameCommands::pgnNaming() {
    QFETCH(QString, chosen);
    QFETCH(int, filter);
    QFETCH(QString, written);
    QFETCH(bool, pgn);
    PlayByPresses(Form(), "d2d4");
    Prompts().SaveAnswers = {PathOf(chosen)};
    Prompts().SaveFilterAnswers = {filter};
    Form().btSaveClick();
    QCOMPARE(QDir(Folder->path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(FileBytes(PathOf(written)).contains("1. d4 *"), pgn);
}

void TestGameCommands::pgnLoadsByNameOrText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("pgn name, movetext only") << "game.PGN" << QByteArray("e4 e5 Nf3\n");
    QTest::newRow("pgn text, other name") << "game.txt"
                                          << QByteArray("\n[Event \"x\"]\n\n1. e4 e5 "
                                                        "2. Nf3 *\n");
    QTest::newRow("pgn text, kvl name") << "game.kvl" << QByteArray("1.e4 e5 2.Nf3 *\r\n");
}

void TestGameCommands::pgnLoadsByNameOrText() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(WriteFile(PathOf(name), bytes));
    Prompts().OpenAnswers = {PathOf(name)};
    Form().btLoadClick();
    QVERIFY(Prompts().Messages.isEmpty());
    QCOMPARE(Form().CurrentGame->MoveRecord, QStringList({"12>28", "52>36", "6>21"}));
}

void TestGameCommands::badPgnKeepsTheGame_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::newRow("illegal move") << QByteArray("1. e4 e5 2. Ke3 *\n")
                                  << "в партии 1 ход 2. Ke3 недопустим";
    QTest::newRow("illegal black move")
        << QByteArray("1. e4 e5 2. Nf3 Nf3 *\n") << "в партии 1 ход 2... Nf3 недопустим";
    QTest::newRow("ambiguous move") << QByteArray("1. Nf3 Nf6 2. Nc3 Nc6 3. Nd4 Nd5 4. Nb5 *\n")
                                    << "в партии 1 ход 4. Nb5 неоднозначен";
    QTest::newRow("set-up position")
        << QByteArray("[SetUp \"1\"]\n[FEN \"8/8/8/8/8/8/8/K6k w - - 0 1\"]\n\n1. Kb1 *\n")
        << "партия 1 начинается не с начальной позиции";
    QTest::newRow("other variant") << QByteArray("[Variant \"Atomic\"]\n\n1. e4 *\n")
                                   << "партия 1 относится к варианту «Atomic», а не к обычным "
                                      "шахматам";
    QTest::newRow("no game") << QByteArray("\n\n") << "в файле нет ни одной партии";
}

void TestGameCommands::badPgnKeepsTheGame() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    TMainForm &form = Form();
    PlayByPresses(form, "e2e4 f7f6 d1h5");
    const TShownGame before(form);
    QVERIFY(WriteFile(PathOf("bad.pgn"), bytes));
    Prompts().OpenAnswers = {PathOf("bad.pgn")};
    form.btLoadClick();
    QCOMPARE(TShownGame(form), before);
    QCOMPARE(Prompts().Messages.size(), 1);
    const TScriptedPrompts::Message &box = Prompts().Messages.constFirst();
    QCOMPARE(box.Icon, QMessageBox::Critical);
    QCOMPARE(box.Caption, QStringLiteral("Загрузка партии"));
    QCOMPARE(box.Text, QStringLiteral("Файл\n%1\nне удалось прочитать как партию в формате PGN: "
                                      "%2.\n\nТекущая партия не изменилась.")
                           .arg(QDir::toNativeSeparators(PathOf("bad.pgn")), problem));
}

// A binary file's bad line is quoted by its printable characters only, and not at length.
void TestGameCommands::binaryFileQuotedPrintably() {
    QByteArray bytes("PK\x03\x04\x14\x00", 6);
    QVERIFY(WriteFile(PathOf("archive.kvl"), bytes));
    QVERIFY(WriteFile(PathOf("long.kvl"), QByteArray(100, 'x') + "\x01\n"));
    QVERIFY(WriteFile(PathOf("controls.kvl"), "\x01\x02\x7f\xff\n"));
    Prompts().OpenAnswers = {PathOf("archive.kvl"), PathOf("long.kvl"), PathOf("controls.kvl")};
    for (int i = 0; i < 3; ++i)
        Form().btLoadClick();
    QCOMPARE(Prompts().Messages.size(), 3);
    const auto what = [this](int box) {
        return Prompts().Messages.at(box).Text.section(u'\n', 2, 2);
    };
    QCOMPARE(what(0), QStringLiteral("не является сохранённой партией Korvalen: строка 1 "
                                     "(«PK…») не является допустимым ходом."));
    QCOMPARE(what(1), QStringLiteral("не является сохранённой партией Korvalen: строка 1 («%1…») "
                                     "не является допустимым ходом.")
                          .arg(QString(39, u'x')));
    QCOMPARE(what(2), QStringLiteral("не является сохранённой партией Korvalen: строка 1 не "
                                     "является допустимым ходом."));
    QVERIFY(Form().CurrentGame->MoveRecord.isEmpty());
}

void TestGameCommands::programArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("run");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("none") << QStringList{"korvalen"} << true << "" << 0;
    QTest::newRow("a game") << QStringList{"korvalen", "/tmp/a game.kvl"} << true
                            << "/tmp/a game.kvl" << 0;
    QTest::newRow("a name like an option")
        << QStringList{"korvalen", "--", "-x.pgn"} << true << "-x.pgn" << 0;
    QTest::newRow("two files") << QStringList{"korvalen", "a.kvl", "b.kvl"} << false << "" << 2;
    QTest::newRow("unknown option") << QStringList{"korvalen", "--fast"} << false << "" << 2;
    QTest::newRow("help") << QStringList{"korvalen", "--help"} << false << "" << 0;
    QTest::newRow("version") << QStringList{"korvalen", "--version", "a.kvl"} << false << "" << 0;
}

void TestGameCommands::programArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, run);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    const TProgramArguments read = ReadProgramArguments(arguments);
    QCOMPARE(read.Run, run);
    QCOMPARE(read.FileName, file);
    QCOMPARE(read.ExitCode, exitCode);
    QCOMPARE(read.Text.isEmpty(), run);
    QCOMPARE(read.ToError, exitCode != 0);
}

// The program's start with a file: the fresh window loads it as the Load button would.
void TestGameCommands::fileGivenAtStartUp() {
    QVERIFY(WriteFile(PathOf("good.kvl"), "12>28\r\n52>36\r\n"));
    QVERIFY(WriteFile(PathOf("bad.kvl"), "12>36\r\n"));
    TTestWindow good(Folder->path());
    good->LoadGameFile(PathOf("good.kvl"));
    QCOMPARE(good->CurrentGame->MoveRecord, QStringList({"12>28", "52>36"}));
    QCOMPARE(good->mmAnnotation->toPlainText(), good->CurrentGame->Notation.join(u'\n'));
    QVERIFY(good.Prompts->Messages.isEmpty());

    TTestWindow bad(Folder->path());
    const QImage fresh = bad->dgBoard->Canvas().toImage();
    bad->LoadGameFile(PathOf("bad.kvl"));
    QVERIFY(bad->CurrentGame->MoveRecord.isEmpty());
    QCOMPARE(bad->dgBoard->Canvas().toImage(), fresh);
    QCOMPARE(bad.Prompts->Messages.size(), 1);
    QCOMPARE(bad.Prompts->Messages.constFirst().Caption, QStringLiteral("Загрузка партии"));
}

QTEST_MAIN(TestGameCommands)
#include "tst_GameCommands.moc"
