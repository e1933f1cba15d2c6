#include "Settings.h"

#include "IniDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <optional>
#include <utility>

namespace {

// Given when the stored port is not a usable port number: no endpoint ever opens with it (port
// 0 would have the server listen on a port that no client knows).
constexpr int UnusablePort = -1;

const QLatin1String ClientRoleText{"Client"};
const QLatin1String ServerRoleText{"Server"};

// The stored port as a number, when it is one that an endpoint can open with.
std::optional<int> PortNumber(const QString &text) {
    bool converts = false;
    const int port = text.trimmed().toInt(&converts, 10);
    if (!converts || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

QString WriteError(const QString &fileName) {
    return QStringLiteral("Unable to write to %1").arg(fileName);
}

} // namespace

QString SettingsFilePath(const QString &programFolder) {
    const QString beside = QDir(programFolder).filePath(SettingsFileName);
    const QFileInfo folder(programFolder);
    if (QFileInfo::exists(beside) || (folder.isDir() && folder.isWritable()))
        return beside;
    // An installed copy whose folder is not the user's to write.
    const QString configFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/Korvalen");
    QDir().mkpath(configFolder);
    return QDir(configFolder).filePath(SettingsFileName);
}

QString ReadSetting(const QString &fileName, const QString &section, const QString &key,
                    const QString &defaultValue) {
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        return defaultValue;
    return TIniDocument::Parse(file.readAll()).Value(section, key).value_or(defaultValue);
}

bool WriteSetting(const QString &fileName, const QString &section, const QString &key,
                  const QString &value, QString *error) {
    const auto fail = [&] {
        if (error)
            *error = WriteError(fileName);
        return false;
    };
    QByteArray text;
    const QFileInfo info(fileName);
    if (info.exists()) {
        // A file that cannot be read is not overwritten: its other contents would be lost.
        QFile file(fileName);
        if (!info.isFile() || !file.open(QIODevice::ReadOnly))
            return fail();
        text = file.readAll();
    }
    TIniDocument document = TIniDocument::Parse(text);
    document.SetValue(section, key, value);

    // Written beside the file and renamed over it on commit, which also syncs it to the disk,
    // so a failure at any point leaves the old file whole.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    const QByteArray newText = document.ToText();
    if (file.write(newText) != newText.size())
        return fail();
    if (!file.commit())
        return fail();
    return true;
}

TNetworkSettings ReadNetworkSettings(const QString &fileName) {
    const auto read = [&fileName](QLatin1String key, QLatin1String defaultValue) {
        return ReadSetting(fileName, NetworkSection, key, defaultValue);
    };
    TNetworkSettings settings;
    settings.Port = PortNumber(read(PortKey, DefaultPort)).value_or(UnusablePort);
    settings.Address = read(ServerIPKey, DefaultServerIP);
    settings.Role = read(LastConnectAsKey, DefaultLastConnectAs) == ClientRoleText
                        ? TNetRole::Client
                        : TNetRole::Server;
    return settings;
}

bool WriteNetworkSettings(const QString &fileName, const TNetworkSettings &settings,
                          QString *error) {
    QList<std::pair<QLatin1String, QString>> values = {{PortKey, QString::number(settings.Port)}};
    if (settings.Role == TNetRole::Client) {
        values.append({ServerIPKey, settings.Address});
        values.append({LastConnectAsKey, ClientRoleText});
    } else {
        values.append({LastConnectAsKey, ServerRoleText});
    }
    for (const auto &[key, value] : values) {
        if (!WriteSetting(fileName, NetworkSection, key, value, error))
            return false;
    }
    return true;
}
