#pragma once

// The two datasets written while the files are still being merged, on a thread of their own,
// into their temporary files in the output folder: what each merged file adds to the tables
// is handed over, and the thread writes it while the next file is read and merged. At the end
// the thread writes the rest and completes the files; nothing reaches the folder or the user
// on that thread, and the caller then puts in place (or drops) what it wrote.
//
// The thread reads the records only up to the counts it was handed, so the tables may grow
// meanwhile: records never move and are not changed once appended.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "base/CalendarDate.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo {

class ExportAhead {
public:
    // REQUIRES: the exports are not started; their tables outlive this.
    ExportAhead(PreparedExport stops, PreparedExport routes);
    // Stops the thread; the files it wrote go.
    ~ExportAhead();
    ExportAhead(const ExportAhead&) = delete;
    ExportAhead& operator=(const ExportAhead&) = delete;

    // The tables now hold that many records, all of which may be written.
    void handOver(std::size_t stops, std::size_t routes);
    // No record follows: the rest is written and the files are completed with the run's
    // coordinate system (prj stays valid until take()) and date.
    void close(std::optional<std::string_view> prj, CalendarDate today);
    // After close(): waits for the thread and gives each export it completed; one that
    // failed is dropped, its files gone, and given as null. Rethrows what the thread threw.
    void take(PreparedExport& stops, PreparedExport& routes);

private:
    struct Counts {
        std::size_t stops = 0;
        std::size_t routes = 0;
        bool operator==(const Counts&) const = default;
    };

    void work();

    PreparedExport stops_;
    PreparedExport routes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Counts handedOver_;
    bool closing_ = false;
    bool stopping_ = false;
    std::optional<std::string_view> prj_;
    CalendarDate today_;
    std::exception_ptr failure_;
    std::thread worker_;  // last, so that it starts once everything else is there
};

}  // namespace tramelo
