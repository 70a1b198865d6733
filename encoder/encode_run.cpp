#include "encoder/encode_run.h"

#include "encoder/temp_output.h"

namespace sw::enc {

EncodeRun::EncodeRun(TranscodeJob job, Callbacks callbacks)
    : job_(std::move(job)),
      callbacks_(std::move(callbacks)),
      priority_(job_.priority),
      thread_([this] { execute(); }) {}

EncodeRun::~EncodeRun() {
    requestStop();
    join();
}

void EncodeRun::join() {
    if (thread_.joinable())
        thread_.join();
}

void EncodeRun::execute() {
    callbacks_.running();
    RunOutcome outcome = RunOutcome::Failed;
    Error error;
    QString reason;
    {
        TempOutput temp;  // removed on every path that does not commit it
        if (!temp.create(job_.output, &reason)) {
            error = Error(ErrorCode::OutputNotWritable, reason);
        } else {
            TranscodeJob job = job_;
            job.output = temp.path();
            const TranscodeResult result = Transcode(job, cancel_, percent_);
            outcome = result.outcome;
            error = result.error;
            priority_.store(result.priority);
            if (outcome == RunOutcome::Completed && cancel_.load())
                outcome = RunOutcome::Stopped;
            if (outcome == RunOutcome::Completed && callbacks_.finishing)
                callbacks_.finishing(temp.path());
            if (outcome == RunOutcome::Completed && cancel_.load())
                outcome = RunOutcome::Stopped;
            if (outcome == RunOutcome::Completed && !temp.commit(&reason)) {
                outcome = RunOutcome::Failed;
                error = Error(ErrorCode::OutputNotWritable, reason);
            } else if (outcome == RunOutcome::Completed)
                error = result.damage;
        }
    }
    callbacks_.finished(outcome, error);
}

}  // namespace sw::enc
