#pragma once

// A file system that reads the inputs to come on a thread of its own while the program works
// on the current one, for a caller that knows its inputs in advance (the batch command).
//
// expectShapefile() names the next input: its .SHP and whatever companions exist. A second
// thread reads each of those files whole, in the order they were named, while the caller
// goes on; opening one of them then hands over its bytes (waiting for them if the thread is
// not there yet), and the file is read from memory. Nothing is judged on that thread and no
// message comes from it: the import sees the same bytes in the same order as if it read the
// file itself, only sooner. Files not named, and every other operation, go to the file
// system underneath.
//
// Only a few files are ever held: the thread reads the next input after the caller has
// named it, and a file is handed over once. A file larger than kLargestFile is left to be
// read as usual. A file's buffer, once the file is closed, is kept for the files that
// follow, so that they are read into memory already there rather than into new pages the
// system must find and zero; once the caller has said that no input follows and the last
// one is read, the buffers left over are given back.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shapefile/FileSystem.h"

namespace tramelo {

class ReadAhead final : public FileSystem {
public:
    static constexpr std::int64_t kLargestFile = 256ll * 1024 * 1024;

    explicit ReadAhead(FileSystem& inner);
    // Stops the thread; files read ahead and never opened are dropped.
    ~ReadAhead() override;
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The input that comes next: its .SHP at shpPath and the companions found beside it.
    void expectShapefile(const std::string& shpPath);
    // No input is named after the ones named so far: the spare buffers go once those are read.
    void expectNoMore();

    std::unique_ptr<InputFile> openForReading(const std::string& path) override;
    bool exists(const std::string& path) override { return inner_.exists(path); }
    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override {
        return inner_.createForWriting(path);
    }
    bool isReadOnly(const std::string& path) override { return inner_.isReadOnly(path); }
    void replace(const std::string& from, const std::string& target) override {
        inner_.replace(from, target);
    }
    void remove(const std::string& path) noexcept override { inner_.remove(path); }
    bool allowsConcurrentWrites() const override { return inner_.allowsConcurrentWrites(); }

    // A file's bytes, in memory of the large blocks; handed back to the pool when done.
    struct Buffer {
        std::uint8_t* bytes = nullptr;
        std::size_t capacity = 0;
        std::size_t size = 0;
    };

private:
    enum class State { Waiting, Read, Skipped };
    struct Pending {
        std::string path;
        State state = State::Waiting;
        Buffer buffer;
    };

    void work();
    Buffer takeBuffer(std::size_t size);  // REQUIRES: mutex_ held
    bool anyWaiting() const;              // REQUIRES: mutex_ held
    void giveBack(Buffer buffer);
    static void Free(Buffer& buffer);

    friend class ReadAheadFile;

    FileSystem& inner_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;  // in the order named; a file leaves when it is opened
    std::vector<Buffer> spare_;
    bool noMore_ = false;
    bool stopping_ = false;
    std::thread worker_;  // last, so that it starts once everything else is there
};

}  // namespace tramelo
