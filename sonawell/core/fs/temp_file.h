#pragma once

#include <QString>

// A new, empty, uniquely named file in $TMPDIR (else /tmp), its name starting with `prefix`;
// empty text on failure.
QString makeTempFile(const QString& prefix);
