#pragma once

#include <QByteArray>
#include <QString>

// Text in the Windows code page 1252: every printable Latin-1 character plus the punctuation
// and letters it keeps in 0x80..0x9F (’ € … and so on).
QString decodeWindows1252(const QByteArray& bytes);
