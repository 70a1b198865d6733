#pragma once

#include <QString>

// True for a WMA (an ASF file, by its content) whose header holds a content-encryption object:
// its audio is locked to a licence and no decoder of ours can open it.
bool isProtectedSource(const QString& path);

// The reason such a source's job fails with: "protected (DRM): can't be converted".
QString protectedSourceText();
