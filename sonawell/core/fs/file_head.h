#pragma once

#include <QByteArray>
#include <QString>

// Up to `count` first bytes of a regular file; empty for anything else or on failure. A FIFO
// or device is never read, so nothing blocks.
QByteArray fileHead(const QString& path, qsizetype count);
