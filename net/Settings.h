// The network settings file "Korvalen.ini": where it lives, reading and writing one value, and
// the three settings of network play. Every call opens and releases the file on its own;
// nothing is cached between calls.
#pragma once

#include <QLatin1String>
#include <QString>

inline constexpr QLatin1String SettingsFileName{"Korvalen.ini"};
inline constexpr QLatin1String NetworkSection{"Network"};
inline constexpr QLatin1String PortKey{"Port"};
inline constexpr QLatin1String ServerIPKey{"ServerIP"};
inline constexpr QLatin1String LastConnectAsKey{"LastConnectAs"};
inline constexpr QLatin1String DefaultPort{"6464"};
inline constexpr QLatin1String DefaultServerIP{"127.0.0.1"};
inline constexpr QLatin1String DefaultLastConnectAs{"Server"};

// The settings file for a program whose file lies in programFolder: beside the program when that
// folder already holds one or can be written (a portable copy), otherwise
// <user configuration folder>/Korvalen/Korvalen.ini, whose folder is created here when missing.
QString SettingsFilePath(const QString &programFolder);

// The value of key in section, or defaultValue when the file, the section or the key is missing
// or the file cannot be read. A key present with an empty value gives the empty text.
QString ReadSetting(const QString &fileName, const QString &section, const QString &key,
                    const QString &defaultValue);

// Sets key = value in section, creating the file and the section when needed; a key already
// present keeps its place, other sections, keys and comments are kept as they stand. The file
// is on the disk when this returns true. On failure the file is unchanged, false is returned
// and *error (when given) holds "Unable to write to <fileName>".
bool WriteSetting(const QString &fileName, const QString &section, const QString &key,
                  const QString &value, QString *error = nullptr);

enum class TNetRole { Server, Client };

// What the settings file says about the connection.
struct TNetworkSettings {
    TNetRole Role = TNetRole::Server;
    QString Address;
    int Port = 0; // -1 when the stored port is not one an endpoint can open with
};

// The role, address and port of the file; missing ones are the defaults. Only "Client" exactly
// is the client role.
TNetworkSettings ReadNetworkSettings(const QString &fileName);
// The combination with which a connection came about: the port, then in the client role the
// address, then the role. Stops at the first write that fails, with its error in *error.
bool WriteNetworkSettings(const QString &fileName, const TNetworkSettings &settings,
                          QString *error = nullptr);
