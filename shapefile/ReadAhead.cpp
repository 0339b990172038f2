#include "shapefile/ReadAhead.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/LargeBlocks.h"
#include "shapefile/Companions.h"

namespace tramelo {

namespace {

// Buffers come in whole mebibytes, so that one serves the next file of about the same size.
// A small file (a .prj, a .cpg, the index of a few routes) gets a buffer of its own size that
// is not kept: a kept mebibyte would hold all its pages for a file of a few bytes.
constexpr std::size_t kBufferStep = 1024 * 1024;
constexpr std::size_t kSmallFile = 256 * 1024;

}  // namespace

// A file read ahead: its bytes in memory, given back to the pool when the file and every
// holder of its bytes are done with them.
class ReadAheadFile final : public InputFile {
public:
    ReadAheadFile(ReadAhead& owner, ReadAhead::Buffer buffer)
        : buffer_(buffer),
          bytes_(buffer.bytes, [&owner, buffer](const std::uint8_t*) { owner.giveBack(buffer); }) {}

    std::span<const std::uint8_t> read(std::size_t size) override {
        const std::size_t count = std::min(size, buffer_.size - position_);
        const std::span<const std::uint8_t> view(buffer_.bytes + position_, count);
        position_ += count;
        return view;
    }

    std::int64_t seek(std::int64_t position) override {
        if (position < 0 || position > static_cast<std::int64_t>(buffer_.size)) {
            return -1;
        }
        position_ = static_cast<std::size_t>(position);
        return position;
    }

    std::int64_t size() const override { return static_cast<std::int64_t>(buffer_.size); }
    HeldBytes held() const override { return HeldBytes(bytes_, {buffer_.bytes, buffer_.size}); }

private:
    ReadAhead::Buffer buffer_;
    std::shared_ptr<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

ReadAhead::ReadAhead(FileSystem& inner) : inner_(inner) {
    worker_ = std::thread(&ReadAhead::work, this);
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
    for (Pending& pending : pending_) {
        Free(pending.buffer);
    }
    for (Buffer& buffer : spare_) {
        Free(buffer);
    }
}

void ReadAhead::expectShapefile(const std::string& shpPath) {
    // Looked up here, on the caller's thread, exactly as the import will: the names and
    // their order are the ones it opens.
    std::vector<std::string> paths = {shpPath};
    for (const Companion& companion : kCompanions) {
        std::string path = FindCompanion(inner_, shpPath, companion);
        if (inner_.exists(path)) {
            paths.push_back(std::move(path));
        }
    }
    {
        const std::lock_guard lock(mutex_);
        for (std::string& path : paths) {
            pending_.push_back({std::move(path), State::Waiting, {}});
        }
    }
    changed_.notify_all();
}

void ReadAhead::expectNoMore() {
    {
        const std::lock_guard lock(mutex_);
        noMore_ = true;
    }
    changed_.notify_all();
}

std::unique_ptr<InputFile> ReadAhead::openForReading(const std::string& path) {
    std::unique_lock lock(mutex_);
    const auto named = std::find_if(pending_.begin(), pending_.end(),
                                    [&](const Pending& pending) { return pending.path == path; });
    if (named == pending_.end()) {
        lock.unlock();
        return inner_.openForReading(path);
    }
    const auto position = named - pending_.begin();
    // The thread reads in order, so once this file is done every file before it is too.
    changed_.wait(lock, [&] { return pending_[static_cast<std::size_t>(position)].state != State::Waiting; });
    Pending taken = std::move(pending_[static_cast<std::size_t>(position)]);
    // Files named before this one and never opened (an import that stopped early) are dropped.
    for (auto earlier = pending_.begin(); earlier != pending_.begin() + position; ++earlier) {
        if (earlier->state == State::Read) {
            spare_.push_back(earlier->buffer);
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + position + 1);
    lock.unlock();
    if (taken.state == State::Skipped) {
        return inner_.openForReading(path);
    }
    return std::make_unique<ReadAheadFile>(*this, taken.buffer);
}

void ReadAhead::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto next = std::find_if(pending_.begin(), pending_.end(), [](const Pending& pending) {
            return pending.state == State::Waiting;
        });
        if (next == pending_.end()) {
            // Buffers still spare once the files named are read fitted none of them: they would
            // only hold memory. The files being imported now give theirs back after this, for
            // the next input named.
            for (Buffer& buffer : spare_) {
                Free(buffer);
            }
            spare_.clear();
            changed_.wait(lock, [&] { return stopping_ || anyWaiting() || (noMore_ && !spare_.empty()); });
            if (stopping_) {
                return;
            }
            continue;
        }
        if (stopping_) {
            return;
        }
        // The element stays where it is while the lock is released: the caller only takes
        // files that are done, from the front.
        Pending& pending = *next;
        const std::string path = pending.path;
        lock.unlock();
        Buffer buffer;
        State state = State::Skipped;
        try {
            const std::unique_ptr<InputFile> file = inner_.openForReading(path);
            const std::int64_t size = file->size();
            if (size <= kLargestFile) {
                {
                    const std::lock_guard take(mutex_);
                    buffer = takeBuffer(static_cast<std::size_t>(size));
                }
                // An input/output error ends the bytes early, as a read of the file would.
                buffer.size = file->readInto(buffer.bytes, static_cast<std::size_t>(size));
                state = State::Read;
            }
        } catch (const FileError&) {
            // Left to the import to open, and to fail, as usual.
        } catch (const std::bad_alloc&) {
            // Left to be read as usual, a window at a time.
        }
        lock.lock();
        pending.buffer = buffer;
        pending.state = state;
        changed_.notify_all();
    }
}

ReadAhead::Buffer ReadAhead::takeBuffer(std::size_t size) {
    if (size < kSmallFile) {
        Buffer buffer;
        buffer.capacity = std::max<std::size_t>(1, size);
        buffer.bytes = static_cast<std::uint8_t*>(LargeBlockMemory()->allocate(buffer.capacity));
        return buffer;
    }
    // The smallest that fits, so that a large buffer stays for a large file.
    auto fits = spare_.end();
    for (auto spare = spare_.begin(); spare != spare_.end(); ++spare) {
        if (spare->capacity >= size && (fits == spare_.end() || spare->capacity < fits->capacity)) {
            fits = spare;
        }
    }
    if (fits != spare_.end()) {
        const Buffer buffer = *fits;
        spare_.erase(fits);
        return buffer;
    }
    Buffer buffer;
    buffer.capacity = std::max<std::size_t>(1, (size + kBufferStep - 1) / kBufferStep * kBufferStep);
    buffer.bytes = static_cast<std::uint8_t*>(LargeBlockMemory()->allocate(buffer.capacity));
    return buffer;
}

bool ReadAhead::anyWaiting() const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [](const Pending& pending) { return pending.state == State::Waiting; });
}

void ReadAhead::giveBack(Buffer buffer) {
    const std::lock_guard lock(mutex_);
    if (buffer.capacity < kSmallFile || (noMore_ && !anyWaiting())) {
        Free(buffer);
        return;
    }
    spare_.push_back(buffer);
}

void ReadAhead::Free(Buffer& buffer) {
    if (buffer.bytes != nullptr) {
        LargeBlockMemory()->deallocate(buffer.bytes, buffer.capacity);
        buffer = {};
    }
}

}  // namespace tramelo
