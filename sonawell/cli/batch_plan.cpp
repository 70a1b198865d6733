#include "cli/batch_plan.h"

#include "cli/byte_path.h"
#include "common/unique_fd.h"
#include "core/engine/user_prompt.h"
#include "core/formats/format_lookup.h"

#include <QCoreApplication>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

namespace {

QByteArray extensionBytes(sw::formats::Output output) {
    const std::string_view extension = sw::formats::outputExtension(output);
    return QByteArray(extension.data(), static_cast<qsizetype>(extension.size()));
}

// The first bytes of a regular file; never blocks on a FIFO or a device.
QByteArray headOf(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    const sw::UniqueFd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        return {};
    }
    QByteArray head(static_cast<qsizetype>(sw::formats::kSignatureBytes), '\0');
    const ssize_t got = ::read(fd.get(), head.data(), static_cast<size_t>(head.size()));
    head.resize(got > 0 ? got : 0);
    return head;
}

struct Derived {
    QByteArray fileName;
    const sw::formats::SourceFormat* format;
    sw::formats::Output output;
};

// The output's file name as the table derives it (format_lookup.h's deriveOutput), on bytes.
std::optional<Derived> deriveName(const QByteArray& source, sw::formats::Output wmaTo) {
    const QByteArray name = fileNameOf(source);
    const std::string_view view(name.constData(), static_cast<size_t>(name.size()));
    const sw::formats::SourceFormat* format = sw::formats::byFileName(view);
    QByteArray stem;
    if (format != nullptr) {
        stem =
            name.left(name.size() - static_cast<qsizetype>(sw::formats::extensionOf(view).size()));
    } else {
        const QByteArray head = headOf(source);
        format = sw::formats::byContent(
            sw::formats::Head(reinterpret_cast<const unsigned char*>(head.constData()),
                              static_cast<size_t>(head.size())));
        stem = name + '.';
    }
    if (format == nullptr) {
        return std::nullopt;
    }
    const sw::formats::Output output =
        format->becomes == sw::formats::Output::Wave ? wmaTo : format->becomes;
    return Derived{stem + extensionBytes(output), format, output};
}

QByteArray claimKey(const QByteArray& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path.toStdString(), error);
    const std::string normal = absolute.lexically_normal().native();
    return QByteArray(normal.data(), static_cast<qsizetype>(normal.size()));
}

QByteArray numbered(const QByteArray& output, int n) {
    const QByteArray name = fileNameOf(output);
    const qsizetype dot = name.lastIndexOf('.');
    const qsizetype stemEnd = output.size() - (dot > 0 ? name.size() - dot : 0);
    return output.left(stemEnd) + " (" + QByteArray::number(n) + ')' + output.mid(stemEnd);
}

class Planner {
public:
    Planner(const PlanSettings& settings, UserPrompt* prompt)
        : settings_(settings), prompt_(prompt) {}

    PlannedJob plan(const SourceEntry& entry, int index) {
        PlannedJob job;
        job.index = index;
        job.source = entry.path;
        struct stat info {};
        if (::stat(entry.path.constData(), &info) != 0) {
            job.state = JobState::Failed;
            job.reason = QCoreApplication::translate("SourceCheck", "file not found");
            return job;
        }
        job.sourceBytes = info.st_size;
        const std::optional<Derived> derived = deriveName(entry.path, settings_.wmaTo);
        if (!derived) {
            job.state = entry.named ? JobState::Failed : JobState::Skipped;
            job.reason =
                QCoreApplication::translate("CommandLine", "not an MP3, MP2, WAVE or WMA file");
            return job;
        }
        job.format = derived->format;
        job.becomes = derived->output;
        job.profile = profileFor(derived->output, settings_.wmaProfile);
        const QByteArray folder =
            outputFolderFor(entry, settings_.outputDir, settings_.keepFolders);
        job.output = freeOfClaims(joinPath(folder, derived->fileName));
        if (pathExists(job.output)) {
            handleExisting(job);
        }
        if (job.state == JobState::Waiting) {
            claimed_.insert(claimKey(job.output));
        }
        return job;
    }

private:
    bool taken(const QByteArray& output) const { return claimed_.contains(claimKey(output)); }

    QByteArray freeOfClaims(const QByteArray& output) const {
        if (!taken(output)) {
            return output;
        }
        for (int n = 2;; ++n) {
            const QByteArray candidate = numbered(output, n);
            if (!taken(candidate) && !pathExists(candidate)) {
                return candidate;
            }
        }
    }

    void handleExisting(PlannedJob& job) {
        bool replace = settings_.ifExists == IfExists::Replace;
        switch (settings_.ifExists) {
            case IfExists::Replace:
            case IfExists::Skip:
                break;
            case IfExists::Rename:
                for (int n = 2;; ++n) {
                    const QByteArray candidate = numbered(job.output, n);
                    if (!taken(candidate) && !pathExists(candidate)) {
                        job.output = candidate;
                        return;
                    }
                }
            case IfExists::Ask:
                replace = ask(job);
                break;
        }
        if (!replace) {
            job.state = JobState::Skipped;
            job.reason =
                QCoreApplication::translate("ConversionDriver", "Not converted: %1 already exists.")
                    .arg(pathText(job.output));
        }
    }

    bool ask(const PlannedJob& job) {
        if (replaceAll_) {
            return *replaceAll_;
        }
        // A dry run asks nothing and shows the output the source gets if the answer is yes.
        if (prompt_ == nullptr) {
            return true;
        }
        const UserPrompt::Answer answer = prompt_->askYesNoToAll(
            QCoreApplication::translate("ConversionDriver",
                                        "The file %1 already exists.\nDo you want to replace it?")
                .arg(pathText(job.output)));
        const bool replace =
            answer == UserPrompt::Answer::Yes || answer == UserPrompt::Answer::YesToAll;
        if (answer == UserPrompt::Answer::YesToAll || answer == UserPrompt::Answer::NoToAll) {
            replaceAll_ = replace;
        }
        return replace;
    }

    const PlanSettings& settings_;
    UserPrompt* prompt_;
    QSet<QByteArray> claimed_;
    std::optional<bool> replaceAll_;
};

}  // namespace

std::vector<PlannedJob> planBatch(const std::vector<SourceEntry>& entries,
                                  const PlanSettings& settings, UserPrompt* prompt) {
    Planner planner(settings, prompt);
    std::vector<PlannedJob> jobs;
    jobs.reserve(entries.size());
    int index = 0;
    for (const SourceEntry& entry : entries) {
        PlannedJob job = planner.plan(entry, ++index);
        // Files a folder held that aren't audio are no part of the batch.
        if (!entry.named && job.state == JobState::Skipped && job.output.isEmpty()) {
            --index;
            continue;
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}
