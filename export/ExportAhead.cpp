#include "export/ExportAhead.h"

#include <system_error>

#include "export/DatasetWriter.h"
#include "shapefile/FileSystem.h"
#include "workspace/Platform.h"

namespace tramelo {

ExportAhead::ExportAhead(PreparedExport stops, PreparedExport routes)
    : stops_(std::move(stops)), routes_(std::move(routes)), worker_([this] { work(); }) {}

ExportAhead::~ExportAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void ExportAhead::handOver(std::size_t stops, std::size_t routes) {
    {
        const std::lock_guard lock(mutex_);
        handedOver_ = {stops, routes};
    }
    changed_.notify_one();
}

void ExportAhead::close(std::optional<std::string_view> prj, CalendarDate today) {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        prj_ = prj;
        today_ = today;
    }
    changed_.notify_one();
}

void ExportAhead::take(PreparedExport& stops, PreparedExport& routes) {
    worker_.join();
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    // A failed export is dropped here, so that its temporary files are gone before the
    // export that replaces it creates them again.
    stops = stops_->failed() ? nullptr : std::move(stops_);
    routes = routes_->failed() ? nullptr : std::move(routes_);
    stops_.reset();
    routes_.reset();
}

void ExportAhead::work() {
    try {
        stops_->open();
        routes_->open();
        Counts written;
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopping_ || closing_ || handedOver_ != written; });
            if (stopping_) {
                return;
            }
            if (handedOver_ == written) {  // and closing: everything is written
                break;
            }
            const Counts target = handedOver_;
            lock.unlock();
            stops_->write(target.stops);
            routes_->write(target.routes);
            written = target;
            lock.lock();
        }
        lock.unlock();
        stops_->close(prj_, today_);
        routes_->close(prj_, today_);
    } catch (...) {
        failure_ = std::current_exception();
    }
}

void ExportAheadDeleter::operator()(ExportAhead* ahead) const {
    delete ahead;
}

void MergeWorkspace::WriteAheadInto(const std::string& outputFolder) {
    if (platform_.files().allowsConcurrentWrites()) {
        aheadFolder_ = outputFolder;
    }
}

void MergeWorkspace::WriteAhead() {
    // The company is in every record written, so nothing is written before it is known;
    // once known it stays.
    if (!aheadFolder_ || companyCode == -1) {
        return;
    }
    if (!ahead_) {
        try {
            ahead_.reset(new ExportAhead(StopsExport(*aheadFolder_), RoutesExport(*aheadFolder_)));
        } catch (const std::system_error&) {  // no thread to be had: Finish writes everything
            aheadFolder_.reset();
            return;
        }
    }
    ahead_->handOver(stopTable.size(), routeTable.size());
}

void MergeWorkspace::CloseWriteAhead(const std::string& outputFolder, CalendarDate today) {
    if (ahead_ && *aheadFolder_ == outputFolder) {
        ahead_->close(crs.toWrite(), today);
    } else {
        ahead_.reset();
    }
}

void MergeWorkspace::TakeWrittenAhead(PreparedExport& stops, PreparedExport& routes) {
    if (ahead_) {
        ahead_->take(stops, routes);
        ahead_.reset();
    }
}

}  // namespace tramelo
