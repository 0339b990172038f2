#include "workspace/MergeWorkspace.h"

#include <cassert>
#include <exception>
#include <thread>

#include "base/Texts.h"
#include "shapefile/FileSystem.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

using ImportOperation = int (MergeWorkspace::*)(const std::string&);

AddOutcome AddFile(MergeWorkspace& workspace, const std::string& path, AcquiredFileList& acquired,
                   ImportOperation import) {
    if (acquired.contains(path)) {
        return AddOutcome::AlreadyAcquired;
    }
    if ((workspace.*import)(path) != 1) {
        return AddOutcome::Rejected;
    }
    acquired.append(path);
    return AddOutcome::Acquired;
}

}  // namespace

AddOutcome MergeWorkspace::AddStopsFile(const std::string& path) {
    const AddOutcome outcome = AddFile(*this, path, acquiredStops, &MergeWorkspace::ImportStops);
    if (outcome == AddOutcome::Acquired) {
        WriteAhead();
    }
    return outcome;
}

AddOutcome MergeWorkspace::AddRoutesFile(const std::string& path) {
    const AddOutcome outcome = AddFile(*this, path, acquiredRoutes, &MergeWorkspace::ImportRoutes);
    if (outcome == AddOutcome::Acquired) {
        WriteAhead();
    }
    return outcome;
}

std::string MergeWorkspace::FolderOf(std::string_view path) {
    const std::size_t separator = path.rfind(kPathSeparator);
    return std::string(separator == std::string_view::npos ? path : path.substr(0, separator));
}

Message MergeWorkspace::AlreadyAcquiredMessage(std::string_view path) {
    Message message(MessageKind::Warning);
    message.text(texts::kAlreadyAcquiredBefore).path(path).text(texts::kAlreadyAcquiredAfter);
    return message;
}

bool MergeWorkspace::Finish(const std::string& outputFolder) {
    assert(HasMergedData());
    const CalendarDate today = platform_.today();
    CloseWriteAhead(outputFolder, today);
    bool allWritten = true;
    // False when the output failed while writing, which ends Finish.
    const auto note = [&](OutputOutcome outcome) {
        allWritten = allWritten && outcome == OutputOutcome::Written;
        return outcome != OutputOutcome::WriteFailed;
    };
    const bool reportDone = note(WriteReport(outputFolder));
    // Written ahead, what failed is gone; after a failed report the rest goes too.
    PreparedExport stops;
    PreparedExport routes;
    TakeWrittenAhead(stops, routes);
    if (!reportDone) {
        return false;
    }
    if (!stops && routes) {  // the stops could not be written ahead: they are written now
        return note(ExportStops(outputFolder)) && note(CompleteExport(*routes, platform_)) && allWritten;
    }
    if (stops) {
        return note(CompleteExport(*stops, platform_)) &&
               note(routes ? CompleteExport(*routes, platform_) : ExportRoutes(outputFolder)) && allWritten;
    }
    if (!platform_.files().allowsConcurrentWrites()) {
        return note(ExportStops(outputFolder)) && note(ExportRoutes(outputFolder)) && allWritten;
    }
    // The two datasets are written side by side: the routes into their temporary files on a
    // second thread while the stops are exported here. Nothing of the routes reaches the
    // folder or the user before the stops are done, so what the user sees and what is left
    // in the folder are as when one comes after the other: after a failure while writing
    // the stops, the routes' temporaries go and nothing is said of them.
    routes = RoutesExport(outputFolder);
    std::exception_ptr failure;
    std::thread writer([&] {
        try {
            PrepareExport(*routes, crs.toWrite(), today);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    OutputOutcome stopsOutcome = OutputOutcome::Written;
    try {
        stopsOutcome = ExportStops(outputFolder);
    } catch (...) {
        writer.join();
        throw;
    }
    writer.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return note(stopsOutcome) && note(CompleteExport(*routes, platform_)) && allWritten;
}

}  // namespace tramelo
