#include "core/id3/info_text.h"

#include "core/id3/windows1252.h"

#include <QByteArray>
#include <QStringDecoder>

#include <taglib/infotag.h>
#include <taglib/tstring.h>

#include <mutex>

namespace {

class InfoTextHandler : public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        QByteArray bytes(data.data(), static_cast<qsizetype>(data.size()));
        const qsizetype nul = bytes.indexOf('\0');
        if (nul >= 0)
            bytes.truncate(nul);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (utf8.hasError())
            text = decodeWindows1252(bytes);
        return TagLib::String(text.toStdString(), TagLib::String::UTF8);
    }
    TagLib::ByteVector render(const TagLib::String& text) const override {
        return text.data(TagLib::String::UTF8);
    }
};

}  // namespace

void useInfoTextEncoding() {
    static const InfoTextHandler handler;
    static std::once_flag installed;
    std::call_once(installed, [] { TagLib::RIFF::Info::Tag::setStringHandler(&handler); });
}
