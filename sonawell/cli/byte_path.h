#pragma once

#include <QByteArray>
#include <QString>

// File names as the system holds them: bytes. Qt's text paths lose bytes that are not UTF-8,
// so the command keeps every name as bytes and makes text of it only to show it or to hand it
// to the engine when the text gives the same bytes back.

// The name as text for people; bytes that are not UTF-8 become replacement characters.
QString pathText(const QByteArray& path);
// True when pathText(path) names the same file, so the engine can be given it.
bool isExactText(const QByteArray& path);
// The folder part ("a/b" of "a/b/c.mp3", "." of "c.mp3", "/" of "/c.mp3").
QByteArray folderOf(const QByteArray& path);
// What follows the last "/".
QByteArray fileNameOf(const QByteArray& path);
// `name` inside `folder`, with one "/" between them.
QByteArray joinPath(const QByteArray& folder, const QByteArray& name);
// True when anything, even a dangling link, has this name.
bool pathExists(const QByteArray& path);
