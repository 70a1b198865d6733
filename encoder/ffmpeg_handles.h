#pragma once

#include "common/ffmpeg_handles.h"

#include <QString>

namespace sw::enc::ff {

using namespace sw::ff;

inline QString ErrorText(int code) {
    return QString::fromStdString(errorText(code));
}

}  // namespace sw::enc::ff
