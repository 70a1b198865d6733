#include "quillmark/wma_ext_core.h"

#include "quillmark/menu_texts.h"

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

}  // namespace

WMAExtCore::WMAExtCore(std::shared_ptr<MessagePresenter> messages, HandOverTarget target)
    : messages_(std::move(messages)), target_(std::move(target)) {}

sw::result::Code WMAExtCore::Initialize(std::vector<std::string> selection) {
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
    return sw::result::kOk;
}

std::string_view WMAExtCore::menuText() const {
    return _(wmaSelection_ ? kToWavTexts.label : kToWmaTexts.label);
}

std::string_view WMAExtCore::helpText() const {
    return _(wmaSelection_ ? kToWavTexts.help : kToWmaTexts.help);
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

sw::result::Code WMAExtCore::InvokeCommand(const Command& command) {
    const unsigned* offset = std::get_if<unsigned>(&command);
    if (offset == nullptr || *offset != 0) {
        return sw::result::kOk;
    }
    HandOver(selection_, messages_, target_, observer_);
    return sw::result::kOk;
}

}  // namespace quillmark
