#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// Names the engine can take for files whose names are not text. The engine takes paths as
// text, which would lose bytes that are not UTF-8; such a source is reached through a link
// with a plain name in a private folder, and such an output is written under a plain hidden
// name in its own folder (reached the same way) and renamed to its name once complete.
class StandIns {
public:
    StandIns();

    // The engine's name for `source`: the name itself when it is text.
    QString source(const QByteArray& source, int index);
    struct Output {
        QString enginePath;
        // Where the engine's complete output lands, to be renamed to the output's name; empty
        // when the engine writes it under its own name.
        QByteArray landing;
    };
    Output output(const QByteArray& output, int index);
    // Gives up the links made for job `index`.
    void release(int index);

private:
    QByteArray linkTo(const QByteArray& target, const QByteArray& linkName, int index);

    QTemporaryDir dir_;
    QHash<int, QList<QByteArray>> links_;
};
