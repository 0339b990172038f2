#include "pipeline/Pipeline.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

#include "export/DatasetExport.h"
#include "shapefile/FileSystem.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo {

Pipeline::Pipeline(FileSystem& disk) : disk_(disk), readAhead_(disk, worker_) {}

Pipeline::~Pipeline() {
    drop();
}

void Pipeline::writeAheadInto(MergeWorkspace& workspace, std::string folder) {
    // Nothing is written into a folder that is not this run's: another run may be writing it.
    if (disk_.allowsConcurrentWrites() && workspace.HasClaimed(folder)) {
        folder_ = std::move(folder);
        workspace.UseWriteAhead(*this);
    }
}

void Pipeline::start(const MergeWorkspace& workspace) {
    stops_ = TableExport(workspace, disk_, *folder_, kStopsSchema);
    routes_ = TableExport(workspace, disk_, *folder_, kRoutesSchema);
    worker_.post([stops = stops_.get(), routes = routes_.get()] {
        stops->open();
        routes->open();
    });
}

void Pipeline::merged(const MergeWorkspace& workspace) {
    // The company is in every record written, so nothing is written before it is known; once
    // known it stays.
    if (workspace.companyCode == -1) {
        return;
    }
    if (!stops_) {
        start(workspace);
    }
    // In slices of about a megabyte and a half of output each, so that the reading of the
    // next input, which the main thread will wait for, starts soon after it is asked for.
    const auto handOver = [&](DatasetExport* run, std::size_t& handed, std::size_t count, std::size_t slice) {
        while (handed < count) {
            handed = std::min(count, handed + slice);
            worker_.post([run, upTo = handed] { run->append(upTo); });
        }
    };
    handOver(stops_.get(), stopsHanded_, workspace.stopTable.size(), kStopsPerSlice);
    handOver(routes_.get(), routesHanded_, workspace.routeTable.size(), kRoutesPerSlice);
}

void Pipeline::close(const MergeWorkspace& workspace, const std::string& folder, CalendarDate today) {
    if (folder != folder_) {  // what was written ahead elsewhere is of no use
        drop();
        return;
    }
    if (!stops_) {  // the company was never known: both are written now, beside the report
        start(workspace);
    }
    worker_.post([stops = stops_.get(), routes = routes_.get(), stopsPrj = workspace.stopsCrs.toWrite(),
                  routesPrj = workspace.routesCrs.toWrite(), today] {
        stops->close(stopsPrj, today);
        routes->close(routesPrj, today);
    });
}

std::unique_ptr<DatasetExport> Pipeline::take(const DatasetSchema& schema) {
    worker_.wait();
    std::unique_ptr<DatasetExport> taken = std::move(&schema == &kStopsSchema ? stops_ : routes_);
    // A failed export has let go of its files already (on a full disk their room is free
    // again); Finish exports that dataset anew.
    if (taken && taken->failed()) {
        taken.reset();
    }
    return taken;
}

void Pipeline::drop() noexcept {
    try {
        worker_.wait();
    } catch (...) {
        // What failed on the worker is dropped with its exports: Finish exports them anew.
    }
    stops_.reset();
    routes_.reset();
    stopsHanded_ = routesHanded_ = 0;
    folder_.reset();
}

}  // namespace tramelo
