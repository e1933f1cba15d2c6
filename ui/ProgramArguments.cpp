#include "ProgramArguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

constexpr int UsageExitCode = 2;

TProgramArguments Refusal(const QString &problem, const QCommandLineParser &parser) {
    return {false, {}, problem + QStringLiteral("\n\n") + parser.helpText(), UsageExitCode, true};
}

} // namespace

TProgramArguments ReadProgramArguments(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Шахматы для двоих за одним компьютером или по локальной сети."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Показать версию программы."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("файл"),
        QStringLiteral("Сохранённая партия (.kvl) или партия в формате PGN, которую нужно "
                       "открыть."),
        QStringLiteral("[файл]"));
    if (!parser.parse(arguments))
        return Refusal(parser.errorText(), parser);
    if (parser.isSet(help))
        return {false, {}, parser.helpText(), 0, false};
    if (parser.isSet(version))
        return {false,
                {},
                QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                              QCoreApplication::applicationVersion()),
                0,
                false};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return Refusal(QStringLiteral("Можно открыть только одну партию, а указано файлов: %1.")
                           .arg(files.size()),
                       parser);
    return {true, files.value(0), {}, 0, false};
}
