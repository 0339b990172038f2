#pragma once

// How the report and the exports tell the user about an output that failed.

#include <functional>
#include <string>

#include "workspace/MergeWorkspace.h"

namespace tramelo {

class Platform;

// What became of an output, and the file that failed.
struct OutputResult {
    OutputOutcome outcome = OutputOutcome::Written;
    std::string failedPath;
};

// Runs create(), then write(), keeping the first FileError instead of showing it.
OutputResult TryOutputSteps(const std::function<void()>& create, const std::function<void()>& write);
// "Impossibile creare" or "Impossibile scrivere" with the path, for a result that failed.
void ShowOutputFailure(Platform& platform, const OutputResult& result);

}  // namespace tramelo
