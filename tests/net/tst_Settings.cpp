// The settings file: reading with defaults, writing in place, failures, and where it lives.
#include "IniDocument.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

void WriteFile(const QString &path, const QByteArray &text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void read_data();
    void read();
    void readMissingFile();
    void write_data();
    void write();
    void bytesKept_data();
    void bytesKept();
    void valueReadAsWritten_data();
    void valueReadAsWritten();
    void firstConnectionAsClient();
    void copyEdited_data();
    void copyEdited();
    void writeFails_data();
    void writeFails();
    void location_data();
    void location();

private:
    QTemporaryDir ConfigHome;
};

void TestSettings::initTestCase() {
    QVERIFY(ConfigHome.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome.path()));
}

void TestSettings::read_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<default>" when the default is expected

    const QByteArray file = "; kept by hand\n[Other]\nPort=1\n\n[Network]\nPort = 7000 \n"
                            "ServerIP=\n# LastConnectAs=Client\nLastConnectAs=Client\r\n";
    QTest::newRow("value with blanks around") << file << "Network"
                                              << "Port"
                                              << "7000";
    QTest::newRow("empty value") << file << "Network"
                                 << "ServerIP"
                                 << "";
    QTest::newRow("commented line skipped") << file << "Network"
                                            << "LastConnectAs"
                                            << "Client";
    QTest::newRow("other section") << file << "Other"
                                   << "Port"
                                   << "1";
    QTest::newRow("missing key") << file << "Network"
                                 << "Missing"
                                 << "<default>";
    QTest::newRow("missing section") << file << "Absent"
                                     << "Port"
                                     << "<default>";
    QTest::newRow("names regardless of case") << file << "NETWORK"
                                              << "port"
                                              << "7000";
    QTest::newRow("key before any section") << QByteArray("Port=5\n") << "Network"
                                            << "Port"
                                            << "<default>";
    QTest::newRow("empty file") << QByteArray() << "Network"
                                << "Port"
                                << "<default>";
    QTest::newRow("equals sign in value") << QByteArray("[Network]\nServerIP=a=b\n") << "Network"
                                          << "ServerIP"
                                          << "a=b";
    QTest::newRow("first of two sections")
        << QByteArray("[Network]\nPort=1\n[Network]\nPort=2\n") << "Network"
        << "Port"
        << "1";
}

void TestSettings::read() {
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    const QString path = folder.filePath(SettingsFileName);
    WriteFile(path, text);
    const QString defaultValue = QStringLiteral("<default>");
    QCOMPARE(ReadSetting(path, section, key, defaultValue), expected);
}

void TestSettings::readMissingFile() {
    QTemporaryDir folder;
    QCOMPARE(ReadSetting(folder.filePath(SettingsFileName), NetworkSection, PortKey, DefaultPort),
             QString(DefaultPort));
    QCOMPARE(ReadSetting(folder.path(), NetworkSection, PortKey, DefaultPort),
             QString(DefaultPort)); // a folder is no settings file
    QVERIFY(QDir(folder.path()).isEmpty());
}

void TestSettings::write_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << "Network"
                              << "Port"
                              << "6464" << QByteArray("[Network]\nPort=6464\n");
    QTest::newRow("replaced in place")
        << QByteArray("[Network]\nPort=1\nServerIP=10.0.0.2\nLastConnectAs=Client\n") << "Network"
        << "Port"
        << "6464" << QByteArray("[Network]\nPort=6464\nServerIP=10.0.0.2\nLastConnectAs=Client\n");
    QTest::newRow("key added after the last one of its section")
        << QByteArray("[Network]\nPort=1\n\n; note\n[Other]\nA=1\n") << "Network"
        << "LastConnectAs"
        << "Server"
        << QByteArray("[Network]\nPort=1\nLastConnectAs=Server\n\n; note\n[Other]\nA=1\n");
    QTest::newRow("comments, unknown keys and sections kept")
        << QByteArray("; top\n[Window]\nLeft=3\n[Network]\n# port below\nPort=1\nExtra=x\n")
        << "Network"
        << "Port"
        << "2" << QByteArray("; top\n[Window]\nLeft=3\n[Network]\n# port below\nPort=2\nExtra=x\n");
    QTest::newRow("section appended")
        << QByteArray("[Window]\nLeft=3\n") << "Network"
        << "ServerIP"
        << "192.168.0.5" << QByteArray("[Window]\nLeft=3\n[Network]\nServerIP=192.168.0.5\n");
    QTest::newRow("windows line ends kept") << QByteArray("[Network]\r\nPort=1\r\n") << "Network"
                                            << "Port"
                                            << "6464" << QByteArray("[Network]\r\nPort=6464\r\n");
    QTest::newRow("key name keeps its spelling") << QByteArray("[network]\nport = 1\n") << "Network"
                                                 << "Port"
                                                 << "2" << QByteArray("[network]\nport=2\n");
    QTest::newRow("empty value") << QByteArray("[Network]\nServerIP=1.2.3.4\n") << "Network"
                                 << "ServerIP"
                                 << "" << QByteArray("[Network]\nServerIP=\n");
    QTest::newRow("line break in value stays on one line")
        << QByteArray() << "Network"
        << "ServerIP"
        << "a\nb" << QByteArray("[Network]\nServerIP=a b\n");
}

void TestSettings::write() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir folder;
    const QString path = folder.filePath(SettingsFileName);
    if (!before.isEmpty())
        WriteFile(path, before);
    QString error = QStringLiteral("untouched");
    QVERIFY(WriteSetting(path, section, key, value, &error));
    QCOMPARE(error, QStringLiteral("untouched"));
    QCOMPARE(ReadFile(path), after);
    QCOMPARE(ReadSetting(path, section, key, QStringLiteral("<default>")), value.simplified());
    // Nothing is left behind beside the file.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{SettingsFileName});
}

void TestSettings::bytesKept_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    // Found by fuzzing the reader and writer.
    QTest::newRow("comment in Windows-1251")
        << QByteArray(
               "; \xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8 \xf1\xe5\xf2\xe8\n[Network]\nPort=1\n")
        << "Port"
        << QByteArray(
               "; \xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8 \xf1\xe5\xf2\xe8\n[Network]\nPort=6464\n");
    QTest::newRow("a single blank line")
        << QByteArray("\n") << "Port" << QByteArray("\n[Network]\nPort=6464\n");
    QTest::newRow("stray carriage returns")
        << QByteArray("[Network]\r\nA=1\rB=2\n; x\r\r\nPort=1\r\n\r") << "Port"
        << QByteArray("[Network]\r\nA=1\rB=2\n; x\r\r\nPort=6464\r\n\r");
    QTest::newRow("carriage return ending the last line")
        << QByteArray("[Network]\nPort=1\r") << "ServerIP"
        << QByteArray("[Network]\nPort=1\r\r\nServerIP=6464\n");
    QTest::newRow("line ends of both kinds")
        << QByteArray("[Network]\r\nPort=1\n[Other]\r\nA=1\n") << "ServerIP"
        << QByteArray("[Network]\r\nPort=1\nServerIP=6464\n[Other]\r\nA=1\n");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[Network]\nPort=1\n") << "Port"
                                     << QByteArray("\xEF\xBB\xBF[Network]\nPort=6464\n");
    QTest::newRow("last line without its end")
        << QByteArray("[Network]\r\nPort=1") << "ServerIP"
        << QByteArray("[Network]\r\nPort=1\r\nServerIP=6464\r\n");
    QTest::newRow("a line that is not UTF-8 in the section")
        << QByteArray("[Network]\nName=\xff\xfe\nPort=1\n") << "LastConnectAs"
        << QByteArray("[Network]\nName=\xff\xfe\nPort=1\nLastConnectAs=6464\n");
}

// Writing one setting changes its own line only: every other byte of the user's file stays,
// and writing the same value again gives the same bytes.
void TestSettings::bytesKept() {
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    QTemporaryDir folder;
    const QString path = folder.filePath(SettingsFileName);
    WriteFile(path, before);
    QVERIFY(WriteSetting(path, NetworkSection, key, DefaultPort));
    QCOMPARE(ReadFile(path), after);
    QCOMPARE(ReadSetting(path, NetworkSection, key, "<default>"), QString(DefaultPort));
    QVERIFY(WriteSetting(path, NetworkSection, key, DefaultPort));
    QCOMPARE(ReadFile(path), after);
}

void TestSettings::valueReadAsWritten_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << "192.168.0.5" << QByteArray("ServerIP=192.168.0.5");
    QTest::newRow("blanks around, as typed")
        << " 127.0.0.1 " << QByteArray("ServerIP=\" 127.0.0.1 \"");
    QTest::newRow("only blanks") << "  " << QByteArray("ServerIP=\"  \"");
    QTest::newRow("in quotes") << "\"a\"" << QByteArray("ServerIP=\"\"a\"\"");
    QTest::newRow("one quote") << "\"" << QByteArray("ServerIP=\"");
    QTest::newRow("signs of the format") << "a=b;c [d]" << QByteArray("ServerIP=a=b;c [d]");
    QTest::newRow("Russian") << "Сервер 1"
                             << QByteArray(
                                    "ServerIP=\xd0\xa1\xd0\xb5\xd1\x80\xd0\xb2\xd0\xb5\xd1\x80 1");
}

// A value written is the value read, whatever it holds on one line.
void TestSettings::valueReadAsWritten() {
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    QTemporaryDir folder;
    const QString path = folder.filePath(SettingsFileName);
    QVERIFY(WriteSetting(path, NetworkSection, ServerIPKey, value));
    QCOMPARE(ReadFile(path), "[Network]\n" + line + '\n');
    QCOMPARE(ReadSetting(path, NetworkSection, ServerIPKey, "<default>"), value);
    QVERIFY(WriteSetting(path, NetworkSection, ServerIPKey, value));
    QCOMPARE(ReadFile(path), "[Network]\n" + line + '\n');
}

// The writes of a first connection in the client role, with the defaults.
void TestSettings::firstConnectionAsClient() {
    QTemporaryDir folder;
    const QString path = folder.filePath(SettingsFileName);
    QVERIFY(WriteSetting(path, NetworkSection, PortKey, DefaultPort));
    QVERIFY(WriteSetting(path, NetworkSection, ServerIPKey, DefaultServerIP));
    QVERIFY(WriteSetting(path, NetworkSection, LastConnectAsKey, "Client"));
    QCOMPARE(ReadFile(path), "[Network]\nPort=6464\nServerIP=127.0.0.1\nLastConnectAs=Client\n");
    // The same copy later connects as server: only the role changes, in its place.
    QVERIFY(WriteSetting(path, NetworkSection, PortKey, "6464"));
    QVERIFY(WriteSetting(path, NetworkSection, LastConnectAsKey, "Server"));
    QCOMPARE(ReadFile(path), "[Network]\nPort=6464\nServerIP=127.0.0.1\nLastConnectAs=Server\n");
}

void TestSettings::copyEdited_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("edited");
    QTest::newRow("comment without a line end")
        << QByteArray("; a comment without a line end")
        << QByteArray("; a comment without a line end\n[Network]\nPort=6464\n");
    QTest::newRow("section, key at the end without one")
        << QByteArray("[Network]\r\nServerIP=1")
        << QByteArray("[Network]\r\nServerIP=1\r\nPort=6464\r\n");
    QTest::newRow("key replaced") << QByteArray("[Network]\nPort=1\n")
                                  << QByteArray("[Network]\nPort=6464\n");
}

// A document is a value: editing a copy leaves the original as it was, and does not crash.
void TestSettings::copyEdited() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, edited);
    const TIniDocument original = TIniDocument::Parse(text);
    TIniDocument copy = original;
    copy.SetValue("Network", "Port", "6464");
    QCOMPARE(copy.ToText(), edited);
    QCOMPARE(original.ToText(), text);
}

void TestSettings::writeFails_data() {
    // Paths relative to a fresh temporary folder; CI runs as root, so nothing relies on modes.
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("the path is a folder") << "Korvalen.ini";
    QTest::newRow("the folder is a regular file") << "plain/Korvalen.ini";
    QTest::newRow("the folder is missing") << "missing/Korvalen.ini";
}

void TestSettings::writeFails() {
    QFETCH(QString, relativePath);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(SettingsFileName));
    WriteFile(folder.filePath("plain"), "not a folder\n");
    const QString path = folder.filePath(relativePath);
    QString error;
    QVERIFY(!WriteSetting(path, NetworkSection, PortKey, DefaultPort, &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + path);
    QVERIFY(!WriteSetting(path, NetworkSection, PortKey, DefaultPort)); // no message wanted
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{SettingsFileName, "plain"}));
    QCOMPARE(ReadFile(folder.filePath("plain")), "not a folder\n");
}

void TestSettings::location_data() {
    QTest::addColumn<QString>("programFolder"); // relative to a fresh temporary folder
    QTest::addColumn<bool>("presentBeside");
    QTest::addColumn<bool>("beside");
    QTest::newRow("writable program folder") << "bin" << false << true;
    QTest::newRow("settings already beside the program") << "bin" << true << true;
    QTest::newRow("program folder missing") << "gone" << false << false;
    QTest::newRow("program folder under a regular file") << "plain/bin" << false << false;
}

void TestSettings::location() {
    QFETCH(QString, programFolder);
    QFETCH(bool, presentBeside);
    QFETCH(bool, beside);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkdir("bin"));
    WriteFile(root.filePath("plain"), "x");
    const QString folder = root.filePath(programFolder);
    if (presentBeside)
        WriteFile(folder + "/Korvalen.ini", "[Network]\nPort=7000\n");

    const QString configFolder = ConfigHome.path() + "/Korvalen";
    QDir(configFolder).removeRecursively();
    const QString path = SettingsFilePath(folder);
    if (beside) {
        QCOMPARE(path, folder + "/Korvalen.ini");
        QVERIFY(!QFileInfo::exists(configFolder));
    } else {
        QCOMPARE(path, configFolder + "/Korvalen.ini");
        QVERIFY(QFileInfo(configFolder).isDir()); // ready for the first write
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(WriteSetting(path, NetworkSection, PortKey, DefaultPort));
    }
    if (presentBeside)
        QCOMPARE(ReadSetting(path, NetworkSection, PortKey, DefaultPort), "7000");
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_Settings.moc"
