// The commands of the control page: new game, take-back at one computer, help, and saving and
// loading games through the window's prompts.
#include "Main.h"
#include "PageControl.h"
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace

class TestGameCommands : public QObject {
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
    void cancelledDialogsChangeNothing();
    void badFileKeepsTheGame_data();
    void badFileKeepsTheGame();
    void unreadableFileKeepsTheGame_data();
    void unreadableFileKeepsTheGame();
    void unwritableFileReported();

private:
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TTestWindow> Window;
    TMainForm &Form() { return *Window->Form; }
    TScriptedPrompts &Prompts() { return *Window->Prompts; }
    QString PathOf(const QString &name) const { return QDir(Folder->path()).filePath(name); }
};

void TestGameCommands::init() {
    Folder = std::make_unique<QTemporaryDir>();
    Window = std::make_unique<TTestWindow>(Folder->path());
}

void TestGameCommands::cleanup() {
    Window.reset();
    Folder.reset();
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
             QStringList({"Сохраненные игры Korvalen (*.kvl)", "Все файлы (*)"}));
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

QTEST_MAIN(TestGameCommands)
#include "tst_GameCommands.moc"
