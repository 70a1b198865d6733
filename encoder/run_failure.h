#pragma once

#include <QString>

namespace sw::enc {

// How the stages of a run give up: the sentence the user reads as the run's error.
struct RunFailure {
    QString reason;
};

[[noreturn]] inline void FailRun(const QString& reason) {
    throw RunFailure{reason};
}

}  // namespace sw::enc
