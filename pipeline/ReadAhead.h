#pragma once

// A file system that reads the inputs to come on the pipeline's worker while the program
// works on the current one, for a caller that knows its inputs in advance (the batch
// command). The pipeline's header says which thread does what.
//
// expectShapefile() names the next input: its .SHP and whatever companions exist. The worker
// reads each of those files whole, in the order they were named; opening one of them then
// hands over its bytes (waiting for them if the worker is not there yet), and the file is
// read from memory. Nothing is judged on the worker and no message comes from it: the import
// sees the same bytes in the same order as if it read the file itself, only sooner. Files not
// named, named files the worker could not read (or that are larger than kLargestFile), and
// every other operation go to the file system underneath.
//
// The caller names one input ahead of the one it imports, so at most two inputs are held.
// A file's buffer, once every holder of its bytes has let go (the file, and a batch that
// refers into them), is kept for the input that follows, so that it is read into memory
// already there rather than into new pages the system must find and zero; once the caller
// has said that no input follows, buffers are given back as they are let go.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "shapefile/FileSystemWrapper.h"

namespace tramelo {

class Worker;

class ReadAhead final : public FileSystemWrapper {
public:
    static constexpr std::int64_t kLargestFile = 256ll * 1024 * 1024;

    // REQUIRES: inner and worker outlive the read-ahead; the worker runs no task of it once
    // the read-ahead is gone (the pipeline stops it first).
    ReadAhead(FileSystem& inner, Worker& worker);
    ~ReadAhead() override;
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The input that comes next: its .SHP at shpPath and the companions found beside it.
    void expectShapefile(const std::string& shpPath);
    // No input is named after the ones named so far.
    void expectNoMore();

    std::unique_ptr<InputFile> openForReading(const std::string& path) override;

    struct Buffer {
        std::uint8_t* bytes = nullptr;
        std::size_t capacity = 0;
        std::size_t size = 0;
    };
    struct Pool;  // the buffers, shared with the bytes handed out

private:
    enum class State { Waiting, Read, Skipped };
    struct Named {
        std::string path;
        State state = State::Waiting;
        Buffer buffer;
    };

    void read(Named& named);

    Worker& worker_;
    std::shared_ptr<Pool> pool_;
    // In the order named; changed only on the caller's thread, an entry's state and buffer
    // under the pool's mutex.
    std::deque<std::shared_ptr<Named>> named_;
};

}  // namespace tramelo
