#include "core/engine/list_commands.h"

#include "core/engine/command_status.h"
#include "core/engine/conversion_driver.h"

#include <algorithm>
#include <set>

namespace {

std::vector<int> sortedUnique(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::vector<int> openRows(const ConversionDriver& driver, std::vector<int> rows) {
    const int first = firstOpenRow(driver);
    const int last = driver.jobs().count();
    rows = sortedUnique(std::move(rows));
    std::erase_if(rows, [&](int row) { return row < first || row > last; });
    return rows;
}

bool isFinished(JobState state) {
    return state == JobState::Done || state == JobState::DoneDamaged;
}

std::vector<int> rowsIn(const ConversionDriver& driver, bool (*wanted)(JobState)) {
    std::vector<int> rows;
    const std::vector<Job>& jobs = driver.jobs().jobs();
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (wanted(jobs[i].state)) {
            rows.push_back(static_cast<int>(i) + 1);
        }
    }
    return rows;
}

}  // namespace

int firstOpenRow(const ConversionDriver& driver) {
    const bool inHand = driver.isConverting() || driver.isBusy();
    return driver.currentJob() + (inHand ? 1 : 0);
}

bool canRemove(const ConversionDriver& driver, int row) {
    return computeCommandStatus(driver, row).del;
}

int removeJobs(ConversionDriver& driver, std::vector<int> rows) {
    rows = sortedUnique(std::move(rows));
    std::erase_if(rows, [&](int row) { return !canRemove(driver, row); });
    // From the back, a run of neighbours at a time: a long selection is a few changes, and
    // the rows still to go keep their numbers.
    int removed = 0;
    for (auto last = rows.rbegin(); last != rows.rend();) {
        auto first = last;
        while (std::next(first) != rows.rend() && *std::next(first) == *first - 1) {
            ++first;
        }
        driver.jobs().removeRange(*first, *last);
        removed += *last - *first + 1;
        last = std::next(first);
    }
    if (removed > 0) {
        driver.refreshCommands();
    }
    return removed;
}

int clearFinishedJobs(ConversionDriver& driver) {
    return removeJobs(driver, rowsIn(driver, isFinished));
}

int retryFailedJobs(ConversionDriver& driver) {
    const std::vector<int> rows =
        rowsIn(driver, [](JobState state) { return state == JobState::Failed; });
    std::vector<Job> again;
    for (const int row : rows) {
        if (canRemove(driver, row)) {
            again.push_back(driver.jobs().at(row));
        }
    }
    removeJobs(driver, rows);
    for (const Job& job : again) {
        driver.jobs().add(job.source, job.output, job.profile);
    }
    if (!again.empty()) {
        driver.refreshCommands();
    }
    return static_cast<int>(again.size());
}

std::vector<int> moveJobs(ConversionDriver& driver, std::vector<int> rows, int delta) {
    rows = openRows(driver, std::move(rows));
    const int first = firstOpenRow(driver);
    const int last = driver.jobs().count();
    if (delta > 0) {
        std::reverse(rows.begin(), rows.end());
    }
    std::set<int> stuck;
    std::vector<int> now;
    for (const int row : rows) {
        const int to = row + (delta < 0 ? -1 : 1);
        if (to < first || to > last || stuck.contains(to)) {
            stuck.insert(row);
            now.push_back(row);
            continue;
        }
        driver.jobs().move(row, to);
        now.push_back(to);
    }
    std::sort(now.begin(), now.end());
    return now;
}

std::vector<int> moveJobsTo(ConversionDriver& driver, std::vector<int> rows, int destination) {
    rows = openRows(driver, std::move(rows));
    destination = std::clamp(destination, firstOpenRow(driver), driver.jobs().count() + 1);
    const auto split = std::lower_bound(rows.begin(), rows.end(), destination);
    const int above = static_cast<int>(split - rows.begin());
    // Rows above the destination close up to it from the nearest one out, rows below it from
    // the nearest one down, so no move disturbs a row still to be moved.
    int place = destination - 1;
    for (auto row = std::make_reverse_iterator(split); row != rows.rend(); ++row) {
        driver.jobs().move(*row, place--);
    }
    place = destination;
    for (auto row = split; row != rows.end(); ++row) {
        driver.jobs().move(*row, place++);
    }
    std::vector<int> now;
    for (int row = destination - above; row < destination - above + static_cast<int>(rows.size());
         ++row) {
        now.push_back(row);
    }
    return now;
}
