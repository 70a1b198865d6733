#include "quillmark/wma_ext_core.h"

#include <glib.h>

#include <algorithm>
#include <utility>

namespace quillmark {
namespace {

enum class Kind { Unknown, ToWma, ToWav };

// Judged by the last three characters alone, with no dot required: "xmp3" is an MP3 file.
Kind KindOf(std::string_view path) {
    if (path.size() <= 3) {
        return Kind::Unknown;
    }
    const std::string_view tail = path.substr(path.size() - 3);
    const auto is = [tail](const char* extension) {
        return g_ascii_strncasecmp(tail.data(), extension, 3) == 0;
    };
    if (is("mp2") || is("mp3") || is("wav")) {
        return Kind::ToWma;
    }
    if (is("wma")) {
        return Kind::ToWav;
    }
    return Kind::Unknown;
}

// How many units of `text` fit before a NUL in `size` units without splitting a character.
std::size_t Utf8Cut(std::string_view text, std::size_t size) {
    std::size_t cut = std::min(text.size(), size - 1);
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

std::size_t Utf16Cut(std::u16string_view text, std::size_t size) {
    std::size_t cut = std::min(text.size(), size - 1);
    if (cut > 0 && cut < text.size() && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) {
        --cut;
    }
    return cut;
}

std::u16string ToUtf16(std::string_view text) {
    glong length = 0;
    g_autofree gunichar2* converted =
        g_utf8_to_utf16(text.data(), static_cast<glong>(text.size()), nullptr, &length, nullptr);
    if (converted == nullptr) {
        return {};
    }
    return std::u16string(reinterpret_cast<const char16_t*>(converted),
                          static_cast<std::size_t>(length));
}

}  // namespace

WMAExtCore::WMAExtCore(MessagePresenter& messages, std::string busAddress)
    : messages_(messages), busAddress_(std::move(busAddress)) {}

ResultCode WMAExtCore::Initialize(std::vector<std::string> selection) {
    selection_ = std::move(selection);
    show_ = false;
    wmaSelection_ = false;
    for (const std::string& path : selection_) {
        const Kind kind = KindOf(path);
        if (kind != Kind::Unknown) {
            show_ = true;
            wmaSelection_ = kind == Kind::ToWav;
            break;
        }
    }
    return kOk;
}

unsigned WMAExtCore::QueryContextMenu(std::vector<MenuItem>& menu, std::size_t position,
                                      unsigned firstCommandId) {
    if (!show_) {
        return 0;
    }
    firstCommandId_ = firstCommandId;
    const auto at = menu.begin() + static_cast<std::ptrdiff_t>(std::min(position, menu.size()));
    menu.insert(at, MenuItem{std::string(menuText()), firstCommandId_});
    return 1;
}

ResultCode WMAExtCore::GetCommandString(unsigned /*offset*/, unsigned type, char* buffer,
                                        std::size_t size) const {
    if (type == kHelpTextUtf16) {
        return kInvalidArg;  // the UTF-16 form needs a UTF-16 buffer
    }
    if (type != kHelpTextUtf8 || size == 0) {
        return kOk;
    }
    if (buffer == nullptr) {
        return kPointer;
    }
    const std::size_t cut = Utf8Cut(kHelpText, size);
    std::copy_n(kHelpText.data(), cut, buffer);
    buffer[cut] = '\0';
    return kOk;
}

ResultCode WMAExtCore::GetCommandString(unsigned /*offset*/, unsigned type, char16_t* buffer,
                                        std::size_t size) const {
    if (type == kHelpTextUtf8) {
        return kInvalidArg;
    }
    if (type != kHelpTextUtf16 || size == 0) {
        return kOk;
    }
    if (buffer == nullptr) {
        return kPointer;
    }
    const std::u16string help = ToUtf16(kHelpText);
    const std::size_t cut = Utf16Cut(help, size);
    std::copy_n(help.data(), cut, buffer);
    buffer[cut] = u'\0';
    return kOk;
}

ResultCode WMAExtCore::InvokeCommand(const Command& command) {
    const unsigned* offset = std::get_if<unsigned>(&command);
    if (offset == nullptr || *offset != 0) {
        return kOk;
    }
    lastDispatch_ = quickconvert::AddJobs(quickconvert::kProgId, selection_, busAddress_);
    if (!lastDispatch_->reached) {
        messages_.ShowRetryCancel(kFailedDispatch);
    }
    return kOk;
}

}  // namespace quillmark
