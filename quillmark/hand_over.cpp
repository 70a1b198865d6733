#include "quillmark/hand_over.h"

#include "quillmark/l10n.h"

#include <glib.h>
#include <glib/gi18n-lib.h>

#include <set>
#include <utility>

namespace quillmark {
namespace {

using quickconvert::AddJobsResult;
using quickconvert::FailureKind;

// Files named per reason before the rest is only counted: the message must fit on a screen.
constexpr std::size_t kNamedPerReason = 10;

// "GDBus.Error:Sonawell.Error.Rejected: this file was refused" reads "this file was refused".
std::string WithoutErrorName(const std::string& message) {
    constexpr std::string_view kPrefix = "GDBus.Error:";
    if (!message.starts_with(kPrefix)) {
        return message;
    }
    const auto end = message.find(": ", kPrefix.size());
    return end == std::string::npos ? message : message.substr(end + 2);
}

std::string Reason(FailureKind kind, const std::string& message) {
    switch (kind) {
        case FailureKind::Refused:
            return Format(_("Sonawell refused it: %s"), WithoutErrorName(message).c_str());
        case FailureKind::NoAnswer:
            // TRANSLATORS: %s is "no answer within 20 s" or the like.
            return Format(_("Sonawell gave %s"), message.c_str());
        case FailureKind::CannotCarry:
            break;
    }
    return Format(_("It can't be handed over: %s"), message.c_str());
}

std::string DisplayName(const std::string& path) {
    g_autofree char* name = g_filename_display_name(path.c_str());
    return name;
}

}  // namespace

std::vector<std::string> NotHandedOver(const std::vector<std::string>& files,
                                       const AddJobsResult& result) {
    if (!result.reached) {
        return files;
    }
    std::vector<std::string> left;
    for (const quickconvert::CallFailure& failure : result.failures) {
        left.push_back(files.at(failure.index));
    }
    return left;
}

std::string FailureText(const std::vector<std::string>& files, const AddJobsResult& result) {
    // Reasons in the order they first occur, each with the files it kept back.
    std::vector<std::pair<std::string, std::vector<std::size_t>>> groups;
    const auto add = [&groups](const std::string& reason, std::size_t index) {
        for (auto& [known, indexes] : groups) {
            if (known == reason) {
                indexes.push_back(index);
                return;
            }
        }
        groups.push_back({reason, {index}});
    };
    std::set<std::size_t> failed;
    for (const quickconvert::CallFailure& failure : result.failures) {
        add(Reason(failure.kind, failure.message), failure.index);
        failed.insert(failure.index);
    }
    if (!result.reached) {
        const std::string reason = Format(_("Sonawell could not be reached: %s"),
                                          WithoutErrorName(result.unreachable).c_str());
        for (std::size_t index = 0; index < files.size(); ++index) {
            if (!failed.contains(index)) {
                add(reason, index);
                failed.insert(index);
            }
        }
    }
    if (failed.empty()) {
        return {};
    }
    std::string text =
        Format(g_dngettext(GETTEXT_PACKAGE, "%zu file was not handed over to Sonawell.",
                           "%zu files were not handed over to Sonawell.", failed.size()),
               failed.size());
    for (const auto& [reason, indexes] : groups) {
        text += "\n\n" + reason;
        for (std::size_t n = 0; n < indexes.size() && n < kNamedPerReason; ++n) {
            text += "\n" + DisplayName(files.at(indexes[n]));
        }
        if (indexes.size() > kNamedPerReason) {
            const std::size_t more = indexes.size() - kNamedPerReason;
            text +=
                "\n" +
                Format(g_dngettext(GETTEXT_PACKAGE, "and %zu more", "and %zu more", more), more);
        }
    }
    return text;
}

void HandOver(std::vector<std::string> files, std::shared_ptr<MessagePresenter> messages,
              HandOverTarget target, HandOverObserver observer) {
    std::vector<std::string> sent = files;
    const std::string busAddress = target.busAddress;
    const std::chrono::milliseconds bound = target.bound;
    quickconvert::AddJobsAsync(
        quickconvert::kProgId, std::move(sent),
        [files = std::move(files), messages, target = std::move(target),
         observer](const AddJobsResult& result) {
            const std::string text = FailureText(files, result);
            if (!text.empty() && messages != nullptr) {
                messages->ShowRetryCancel(
                    text, [left = NotHandedOver(files, result), messages, target, observer] {
                        HandOver(left, messages, target, observer);
                    });
            }
            if (observer) {
                observer(result);
            }
        },
        busAddress, bound);
}

}  // namespace quillmark
