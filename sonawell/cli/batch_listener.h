#pragma once

#include <vector>

struct PlannedJob;

// Counts of a batch by how its jobs ended.
struct BatchSummary {
    int done = 0;
    int damaged = 0;
    int skipped = 0;
    int failed = 0;
    // Stopped part-way or never started, because the batch was interrupted.
    int undone = 0;
    bool interrupted = false;
    int total() const { return done + damaged + skipped + failed + undone; }
};

// What a batch tells the terminal or a script, on the event loop's thread, in this order for
// each job: started, progressed (any number of times), ended. A job the plan already settled
// (skipped, failed) only ends.
class BatchListener {
public:
    virtual ~BatchListener() = default;
    virtual void started(const PlannedJob& job) = 0;
    virtual void progressed(const PlannedJob& job, double fraction) = 0;
    virtual void ended(const PlannedJob& job) = 0;
    // Once, after every job has ended or was left undone.
    virtual void finished(const BatchSummary& summary, const std::vector<PlannedJob>& jobs) = 0;
};

// Hands every event to each of several listeners, in order.
class ListenerFanOut : public BatchListener {
public:
    explicit ListenerFanOut(std::vector<BatchListener*> listeners)
        : listeners_(std::move(listeners)) {}
    void started(const PlannedJob& job) override {
        for (BatchListener* listener : listeners_) {
            listener->started(job);
        }
    }
    void progressed(const PlannedJob& job, double fraction) override {
        for (BatchListener* listener : listeners_) {
            listener->progressed(job, fraction);
        }
    }
    void ended(const PlannedJob& job) override {
        for (BatchListener* listener : listeners_) {
            listener->ended(job);
        }
    }
    void finished(const BatchSummary& summary, const std::vector<PlannedJob>& jobs) override {
        for (BatchListener* listener : listeners_) {
            listener->finished(summary, jobs);
        }
    }

private:
    std::vector<BatchListener*> listeners_;
};
