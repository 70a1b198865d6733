#include "encoder/wma_codec.h"

#include <QCoreApplication>

#include "encoder/error.h"

namespace sw::enc {

ff::Codec OpenWmaEncoder(const Profile::AudioSettings& audio, bool globalHeader) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec)
        Fail(ErrorCode::EncoderUnavailable,
             QCoreApplication::translate("Encoder", "This FFmpeg has no WMA v2 encoder."));
    ff::Codec enc(avcodec_alloc_context3(codec));
    if (!enc)
        Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
    enc->sample_fmt = AV_SAMPLE_FMT_FLTP;
    enc->sample_rate = audio.sampleRate;
    av_channel_layout_default(&enc->ch_layout, audio.channels);
    enc->bit_rate = audio.bitRate;
    enc->time_base = AVRational{1, audio.sampleRate};
    if (globalHeader)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int err = avcodec_open2(enc.get(), codec, nullptr); err < 0)
        Fail(ErrorCode::EncodeFailed,
             QCoreApplication::translate("Encoder",
                                         "The WMA encoder refused the profile's settings: %1")
                 .arg(ff::ErrorText(err)));
    return enc;
}

void FailEncoder(int err) {
    Fail(ErrorCode::EncodeFailed,
         QCoreApplication::translate("Encoder", "The WMA encoder failed: %1")
             .arg(ff::ErrorText(err)));
}

}  // namespace sw::enc
