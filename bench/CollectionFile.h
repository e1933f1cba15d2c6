// A large PGN collection for the benchmarks, made from the project's own test games
// (tests/data/*.pgn): their movetext repeated, each copy under tags of its own.
#pragma once

#include "PgnIndex.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <array>

struct TCollectionTemplate {
    QByteArray Result;
    QByteArray Movetext; // everything of the game but its tag lines
};

inline QList<TCollectionTemplate> CollectionTemplates() {
    QList<TCollectionTemplate> templates;
    const QDir data(QStringLiteral(KORVALEN_TEST_DATA));
    for (const QString &name : data.entryList({QStringLiteral("*.pgn")})) {
        QFile file(data.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        for (const TPgnIndexEntry &game : IndexPgn(bytes)) {
            TCollectionTemplate found;
            const QByteArrayView text = QByteArrayView(bytes).sliced(game.Start, game.Length);
            for (const QByteArray &line : text.toByteArray().split('\n')) {
                if (line.startsWith('['))
                    continue;
                found.Movetext += line + '\n';
            }
            found.Result = game.TagLength[int(TPgnTag::Result)] > 0
                               ? text.sliced(game.TagStart[int(TPgnTag::Result)],
                                             game.TagLength[int(TPgnTag::Result)])
                                     .toByteArray()
                               : QByteArray("*");
            templates.append(found);
        }
    }
    return templates;
}

// count games into path; false when the file cannot be written or no test game was found.
inline bool WriteTestCollection(const QString &path, int count) {
    static const std::array<QByteArray, 12> names = {
        "Анна Петрова",         "Boris Ivanov",    "M\xc3\xbcller, Karl", "Li Wei",
        "O'Neil \"Kid\" Brown", "Сергей Смирнов",  "Garcia, Ana",         "Nakamura, H.",
        "Jensen, Ole",          "Мария Кузнецова", "Smith, J.",           "Dupont, Claire"};
    const QList<TCollectionTemplate> templates = CollectionTemplates();
    QFile file(path);
    if (templates.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const auto quoted = [](QByteArray value) {
        return value.replace('\\', "\\\\").replace('"', "\\\"");
    };
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        const TCollectionTemplate &game = templates[i % templates.size()];
        text += "[Event \"Турнир " + QByteArray::number(i / 500 + 1) + "\"]\n[Site \"?\"]\n";
        text += "[Date \"" + QByteArray::number(1950 + i % 70) + '.' +
                QByteArray::number(10 + i % 3) + '.' + QByteArray::number(10 + i % 19) + "\"]\n";
        text += "[Round \"" + QByteArray::number(i % 9 + 1) + "\"]\n";
        text += "[White \"" + quoted(names[i % names.size()]) + ' ' + QByteArray::number(i % 997) +
                "\"]\n";
        text += "[Black \"" + quoted(names[(i * 7 + 3) % names.size()]) + "\"]\n";
        text += "[Result \"" + game.Result + "\"]\n" + game.Movetext + '\n';
        if (text.size() > (1 << 20)) {
            if (file.write(text) != text.size())
                return false;
            text.clear();
        }
    }
    return file.write(text) == text.size() && file.flush();
}

constexpr int CollectionGames = 100000;

// One collection of CollectionGames games for all the benchmarks of a run; empty when it could
// not be made.
inline const QString &CollectionPath() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(QStringLiteral("collection.pgn"));
        return WriteTestCollection(file, CollectionGames) ? file : QString();
    }();
    return path;
}
