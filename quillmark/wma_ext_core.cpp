#include "quillmark/wma_ext_core.h"

#include "common/audio_formats.h"
#include "quillmark/menu_texts.h"

#include <algorithm>
#include <utility>

namespace quillmark {

WMAExtCore::WMAExtCore(std::shared_ptr<MessagePresenter> messages, HandOverTarget target)
    : messages_(std::move(messages)), target_(std::move(target)) {}

sw::result::Code WMAExtCore::Initialize(std::vector<std::string> selection) {
    selection_ = std::move(selection);
    show_ = false;
    wmaSelection_ = false;
    // By name alone, as the converter first judges it: reading files here would hold up the
    // file manager's menu on a slow mount.
    for (const std::string& path : selection_) {
        // A folder, marked by its trailing "/", is converted with the audio below it.
        if (!path.empty() && path.back() == '/') {
            show_ = true;
            break;
        }
        if (const sw::formats::SourceFormat* format = sw::formats::byFileName(path)) {
            show_ = true;
            wmaSelection_ = format->becomes == sw::formats::Output::Wave;
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
