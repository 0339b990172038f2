#include <cassert>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/Texts.h"
#include "export/DatasetExport.h"
#include "export/OutputCommit.h"
#include "export/OutputSet.h"
#include "export/OutputSteps.h"
#include "export/Report.h"
#include "platform/OperatingSystem.h"
#include "shapefile/Companions.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/OutputNames.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

// Nothing written ahead outlives Finish, however it ends.
class DropAtEnd {
public:
    explicit DropAtEnd(WriteAhead* ahead) : ahead_(ahead) {}
    ~DropAtEnd() {
        if (ahead_ != nullptr) {
            ahead_->drop();
        }
    }
    DropAtEnd(const DropAtEnd&) = delete;
    DropAtEnd& operator=(const DropAtEnd&) = delete;

private:
    WriteAhead* ahead_;
};

}  // namespace

ClaimOutcome MergeWorkspace::ClaimOutputFolder(const std::string& outputFolder) {
    folderLock_.reset();
    claimedFolder_.reset();
    FileSystem& files = platform_.files();
    std::unique_ptr<FolderLock> lock;
    switch (files.lockFolder(outputFolder, lock)) {
    case FolderLockOutcome::Locked: break;
    case FolderLockOutcome::NoFolder: return ClaimOutcome::NoFolder;
    case FolderLockOutcome::InUse:
        platform_.showMessage(Message(MessageKind::Error)
                                  .text(texts::kFolderInUseBefore)
                                  .path(outputFolder)
                                  .text(texts::kFolderInUseAfter));
        return ClaimOutcome::InUse;
    }
    try {
        RecoverOutputFolder(files, outputFolder);
    } catch (const FileError& error) {
        ShowOutputFailure(platform_, {OutputOutcome::WriteFailed, error.path()});
        return ClaimOutcome::Failed;
    }
    folderLock_ = std::move(lock);
    claimedFolder_ = outputFolder;
    return ClaimOutcome::Claimed;
}

bool MergeWorkspace::RefuseOutputThatIsAnInput(const std::string& outputFolder) {
    FileSystem& files = platform_.files();
    std::vector<std::pair<FileIdentity, std::string>> inputs;
    for (const std::vector<std::string>* given : {&givenStops, &givenRoutes}) {
        for (const std::string& shp : *given) {
            std::vector<std::string> paths = {shp};
            for (const Companion& companion : kCompanions) {
                paths.push_back(FindCompanion(files, shp, companion));
            }
            for (const std::string& path : paths) {
                if (const std::optional<FileIdentity> identity = files.identity(path)) {
                    inputs.emplace_back(*identity, path);
                }
            }
        }
    }
    for (const std::string& name : OutputNames()) {
        const std::string output = JoinPath(outputFolder, name);
        const std::optional<FileIdentity> identity = files.identity(output);
        if (!identity) {
            continue;
        }
        for (const auto& [input, path] : inputs) {
            if (input == *identity) {
                platform_.showMessage(Message(MessageKind::Error)
                                          .text(texts::kOutputIsInputBefore)
                                          .path(output)
                                          .text(texts::kOutputIsInputMiddle)
                                          .path(path)
                                          .text(texts::kOutputIsInputAfter));
                return true;
            }
        }
    }
    return false;
}

bool MergeWorkspace::Finish(const std::string& outputFolder) {
    assert(HasMergedData());
    const CalendarDate today = platform_.today();
    // The folder stays this run's until everything is in place and nothing is being written
    // there any more, and not a moment longer.
    struct Release {
        MergeWorkspace& workspace;
        ~Release() {
            workspace.folderLock_.reset();
            workspace.claimedFolder_.reset();
        }
    } const releaseAtEnd{*this};
    const DropAtEnd dropAhead(writeAhead_);
    if (mergeCutShort) {
        platform_.showMessage(Message(MessageKind::Error).text(texts::kOutOfMemory));
        return false;
    }
    if (claimedFolder_ != outputFolder) {
        const ClaimOutcome claim = ClaimOutputFolder(outputFolder);
        if (claim == ClaimOutcome::InUse || claim == ClaimOutcome::Failed) {
            return false;
        }
    }
    if (RefuseOutputThatIsAnInput(outputFolder)) {
        return false;
    }

    FileSystem& files = platform_.files();
    // What was written ahead is completed, and what failed there is gone, its room on the
    // disk free again, before anything else is written: a full disk then fails the file that
    // fills it.
    std::unique_ptr<DatasetExport> stops;
    std::unique_ptr<DatasetExport> routes;
    if (writeAhead_ != nullptr) {
        writeAhead_->close(*this, outputFolder, today);
        stops = writeAhead_->take(kStopsSchema);
        routes = writeAhead_->take(kRoutesSchema);
    }

    // Every output is prepared, then what could be prepared is put in place at once, and only
    // then is the user told, in the order of the outputs.
    OutputCommit commit(files, outputFolder);
    std::vector<std::function<void()>> tell;
    bool allWritten = true;
    std::optional<OutputSet> reportSet;
    const OutputResult report = PrepareReport(*this, files, outputFolder, reportSet);
    tell.emplace_back([&, report] { ShowOutputFailure(platform_, report); });
    allWritten = report.outcome == OutputOutcome::Written;
    bool writing = report.outcome != OutputOutcome::WriteFailed;  // a failure while writing ends it
    if (reportSet) {
        commit.add(*reportSet);
    }
    struct Dataset {
        const DatasetSchema& schema;
        const std::vector<std::string>& given;
        const AcquiredFileList& acquired;
        std::unique_ptr<DatasetExport>& run;
    };
    for (const Dataset& dataset : {Dataset{kStopsSchema, givenStops, acquiredStops, stops},
                                   Dataset{kRoutesSchema, givenRoutes, acquiredRoutes, routes}}) {
        if (!writing) {
            break;
        }
        // Inputs of this kind were given and none was good: the earlier dataset is kept rather
        // than replaced by an empty one.
        if (!dataset.given.empty() && dataset.acquired.isEmpty()) {
            dataset.run.reset();
            allWritten = false;
            tell.emplace_back([&, &schema = dataset.schema] {
                platform_.showMessage(Message(MessageKind::Warning).text(schema.messages.noneAcquired));
            });
            continue;
        }
        DatasetExport* run = dataset.run.get();
        if (run == nullptr) {
            dataset.run = TableExport(*this, files, outputFolder, dataset.schema);
            run = dataset.run.get();
            run->open();
            run->close(crsOf(dataset.schema).toWrite(), today);
        }
        if (OutputSet* set = run->prepared()) {
            commit.add(*set);
        } else {
            allWritten = false;
            writing = !run->writeFailed();
        }
        tell.emplace_back([&, run] { run->tell(platform_); });
    }

    // Interrupted before the commit: nothing of it is put in place, and the earlier output
    // stays whole. The shell says why.
    if (InterruptSignal() != 0) {
        return false;
    }
    try {
        commit.apply();
    } catch (const FileError& error) {
        ShowOutputFailure(platform_, {OutputOutcome::WriteFailed, error.path()});
        return false;
    }
    for (const std::function<void()>& message : tell) {
        message();
    }
    return allWritten;
}

}  // namespace tramelo
