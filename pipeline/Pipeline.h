#pragma once

// The batch command's run on two threads: the main thread imports the inputs one after the
// other, as the desktop program does, while one background worker (Worker) reads the next
// input ahead and writes what is merged into the outputs' temporary files. The desktop
// program has no pipeline and runs on one thread.
//
// What runs on the worker, in the order posted:
//   - the reading of each input named with expectShapefile(), when the main thread names it
//     (one input ahead of the one it imports: ReadAhead), before any writing not yet begun;
//   - after each merged file, the writing of the records the tables hold by then (merged()),
//     in slices;
//   - at Finish, completing both datasets (close()), which Finish waits for (take()) before it
//     writes anything else.
//
// The rules for what the two threads share; every one of them is kept here:
//   1. Files. The worker opens and reads the inputs named, and creates, writes, makes durable,
//      closes and (when a dataset fails) removes the temporary files of the datasets written
//      ahead; the main thread meanwhile only reads, and writes other files. Writes from the worker are
//      made only where the file system allows two threads at once (allowsConcurrentWrites()
//      in shapefile/FileSystem.h); otherwise nothing is written ahead. Every other file
//      operation (locking the folder, putting anything in place) is the main thread's.
//   2. Read-ahead buffers. An input's bytes are the worker's until it marks the file read,
//      under ReadAhead's lock; from then on they are the main thread's (and of whatever holds
//      them: HeldBytes) and never written again until they come back to the pool.
//   3. Tables. The worker reads records, their texts and points, only up to the counts handed
//      over after a file was merged, and follows a record's `next` link only to a record that
//      was handed over. Records, their texts and points never change once appended; appending
//      writes only the new record and the `next` of the last one, which the worker does not
//      follow before the next hand-over. The index, the log, the lists and the staging arena
//      are the main thread's alone.
//   4. Exports. Between a post and the wait() that follows it, an export written ahead is the
//      worker's alone; the main thread takes it back only through take() or drop(), which
//      wait for the worker first.
//   5. Messages, the date and the workspace's other members (the company, the coordinate
//      system) are read and shown on the main thread only; the worker gets copies.
//   6. The pipeline outlives the workspace, whose destruction drops what was written ahead
//      before the tables go; the worker stops (what it runs ends, what is queued is dropped)
//      before anything it uses goes.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "pipeline/ReadAhead.h"
#include "pipeline/Worker.h"
#include "workspace/WriteAhead.h"

namespace tramelo {

class DatasetExport;
class FileSystem;

class Pipeline final : public WriteAhead {
public:
    // disk: the file system underneath; it outlives the pipeline.
    explicit Pipeline(FileSystem& disk);
    ~Pipeline();
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // The files the imports read through, inputs named ahead from memory.
    FileSystem& files() { return readAhead_; }
    // The input that comes next, and that none follows after the ones named (ReadAhead).
    void expectShapefile(const std::string& shpPath) { readAhead_.expectShapefile(shpPath); }
    void expectNoMore() { readAhead_.expectNoMore(); }

    // Has workspace write its datasets ahead into folder, where the file system allows it and
    // the workspace has claimed the folder. REQUIRES: before the first file is added; the
    // pipeline outlives the workspace.
    void writeAheadInto(MergeWorkspace& workspace, std::string folder);

    // WriteAhead, each called on the main thread.
    void merged(const MergeWorkspace& workspace) override;
    void close(const MergeWorkspace& workspace, const std::string& folder, CalendarDate today) override;
    std::unique_ptr<DatasetExport> take(const DatasetSchema& schema) override;
    void drop() noexcept override;

private:
    // Makes the two exports and has the worker open them.
    void start(const MergeWorkspace& workspace);

    // Records written per task: some 92 bytes of output per stop, 6.5 KB per route of the
    // usual few hundred points.
    static constexpr std::size_t kStopsPerSlice = 16384;
    static constexpr std::size_t kRoutesPerSlice = 256;

    FileSystem& disk_;
    ReadAhead readAhead_;
    std::optional<std::string> folder_;
    std::unique_ptr<DatasetExport> stops_;
    std::unique_ptr<DatasetExport> routes_;
    std::size_t stopsHanded_ = 0;  // records handed over to be written
    std::size_t routesHanded_ = 0;
    Worker worker_;  // last, so that it stops before what its tasks use goes
};

}  // namespace tramelo
