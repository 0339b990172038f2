#pragma once

// How the report and the exports tell the user about an output that failed.

#include <functional>

#include "workspace/MergeWorkspace.h"

namespace tramelo {

class Platform;

// Runs create(), then write(). A FileError from create() shows "Impossibile creare" with the
// file it names and gives NotCreated; one from write() shows "Impossibile scrivere" and
// gives WriteFailed.
OutputOutcome RunOutputSteps(Platform& platform, const std::function<void()>& create,
                             const std::function<void()>& write);

}  // namespace tramelo
