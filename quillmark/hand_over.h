#pragma once

// A context-menu command's hand-over: the files go to Sonawell without anyone waiting for it,
// and what could not be handed over is named, with the reason, in one message whose Retry
// hands those files over again.

#include "quillmark/message_presenter.h"
#include "quillmark/quick_convert_client.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillmark {

struct HandOverTarget {
    std::string busAddress;  // empty: the session bus
    std::chrono::milliseconds bound = quickconvert::kHandOverBound;
};

// Sees the outcome of each hand-over, retries included.
using HandOverObserver = std::function<void(const quickconvert::AddJobsResult&)>;

// Returns at once; the outcome arrives on the calling thread's thread-default main context.
void HandOver(std::vector<std::string> files, std::shared_ptr<MessagePresenter> messages,
              HandOverTarget target, HandOverObserver observer = {});

// The message for an outcome, or "" when everything was handed over. Files are named as the
// user knows them, whatever their encoding.
std::string FailureText(const std::vector<std::string>& files,
                        const quickconvert::AddJobsResult& result);

// The files of `files` that an outcome did not hand over, in order.
std::vector<std::string> NotHandedOver(const std::vector<std::string>& files,
                                       const quickconvert::AddJobsResult& result);

}  // namespace quillmark
