#pragma once

#include "common/ffmpeg_handles.h"

namespace mellorin::ff {

using InputPtr = sw::ff::InputFormat;
using CodecPtr = sw::ff::Codec;
using FramePtr = sw::ff::Frame;
using PacketPtr = sw::ff::Packet;
using ResamplerPtr = sw::ff::Resampler;

}  // namespace mellorin::ff
