#include "pipeline/ReadAhead.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <vector>

#include "base/Sanitizers.h"
#include "pipeline/Worker.h"
#include "platform/LargeBlocks.h"
#include "shapefile/Companions.h"

namespace tramelo {

namespace {

// Buffers come in whole mebibytes, so that one serves the next file of about the same size.
// A small file (a .prj, a .cpg, the index of a few routes) gets a buffer of its own size that
// is not kept: a kept mebibyte would hold all its pages for a file of a few bytes.
constexpr std::size_t kBufferStep = 1024 * 1024;
constexpr std::size_t kSmallFile = 256 * 1024;

void Free(ReadAhead::Buffer& buffer) {
    if (buffer.bytes != nullptr) {
        UnpoisonMemory(buffer.bytes, buffer.capacity);
        LargeBlockMemory()->deallocate(buffer.bytes, buffer.capacity);
        buffer = {};
    }
}

}  // namespace

// The buffers not in use, and the lock of everything the worker and the caller share.
struct ReadAhead::Pool {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Buffer> spare;
    bool noMore = false;
    int reading = 0;  // inputs named and not read yet

    ~Pool() {
        for (Buffer& buffer : spare) {
            Free(buffer);
        }
    }

    // REQUIRES: mutex held. The smallest spare buffer that fits, or a new one.
    Buffer take(std::size_t size) {
        if (size >= kSmallFile) {
            auto fits = spare.end();
            for (auto candidate = spare.begin(); candidate != spare.end(); ++candidate) {
                if (candidate->capacity >= size &&
                    (fits == spare.end() || candidate->capacity < fits->capacity)) {
                    fits = candidate;
                }
            }
            if (fits != spare.end()) {
                const Buffer buffer = *fits;
                spare.erase(fits);
                UnpoisonMemory(buffer.bytes, buffer.capacity);
                return buffer;
            }
        }
        Buffer buffer;
        buffer.capacity = size < kSmallFile ? std::max<std::size_t>(1, size)
                                            : (size + kBufferStep - 1) / kBufferStep * kBufferStep;
        buffer.bytes = static_cast<std::uint8_t*>(LargeBlockMemory()->allocate(buffer.capacity));
        return buffer;
    }

    // REQUIRES: mutex held. What becomes of a buffer let go: kept for an input still to be
    // read, else freed; a kept buffer is poisoned until it is taken again.
    void release(Buffer buffer) {
        if (buffer.capacity < kSmallFile || (noMore && reading == 0)) {
            Free(buffer);
            return;
        }
        PoisonMemory(buffer.bytes, buffer.capacity);
        spare.push_back(buffer);
    }
};

namespace {

// A file read ahead: its bytes in memory, given back to the pool when the file and every
// holder of its bytes have let go of them.
class ReadAheadFile final : public InputFile {
public:
    // bytes: the owner of buffer's bytes (HeldBytes).
    ReadAheadFile(std::shared_ptr<const std::uint8_t> bytes, ReadAhead::Buffer buffer)
        : buffer_(buffer), bytes_(std::move(bytes)) {}

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

}  // namespace

ReadAhead::ReadAhead(FileSystem& inner, Worker& worker)
    : FileSystemWrapper(inner), worker_(worker), pool_(std::make_shared<Pool>()) {}

ReadAhead::~ReadAhead() {
    const std::lock_guard lock(pool_->mutex);
    for (const std::shared_ptr<Named>& named : named_) {
        Free(named->buffer);
    }
}

void ReadAhead::expectShapefile(const std::string& shpPath) {
    // Looked up here, on the caller's thread, exactly as the import will: the names and
    // their order are the ones it opens.
    std::vector<std::string> paths = {shpPath};
    for (const Companion& companion : kCompanions) {
        std::string path = FindCompanion(target(), shpPath, companion);
        if (target().exists(path)) {
            paths.push_back(std::move(path));
        }
    }
    std::vector<std::shared_ptr<Named>> files;
    {
        const std::lock_guard lock(pool_->mutex);
        ++pool_->reading;
        for (std::string& path : paths) {
            files.push_back(
                named_.emplace_back(std::make_shared<Named>(Named{std::move(path), State::Waiting, {}})));
        }
    }
    worker_.postFirst([this, files] {
        for (const std::shared_ptr<Named>& named : files) {
            read(*named);
        }
        const std::lock_guard lock(pool_->mutex);
        --pool_->reading;
        // Spare buffers that fitted none of this input's files would only hold memory: the
        // files being imported now give theirs back after this, for the next input.
        for (Buffer& buffer : pool_->spare) {
            Free(buffer);
        }
        pool_->spare.clear();
    });
}

void ReadAhead::expectNoMore() {
    const std::lock_guard lock(pool_->mutex);
    pool_->noMore = true;
}

void ReadAhead::read(Named& named) {
    Buffer buffer;
    State state = State::Skipped;
    try {
        const std::unique_ptr<InputFile> file = target().openForReading(named.path);
        const std::int64_t size = file->size();
        if (size <= kLargestFile) {
            {
                const std::lock_guard lock(pool_->mutex);
                buffer = pool_->take(static_cast<std::size_t>(size));
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
    const std::lock_guard lock(pool_->mutex);
    if (state != State::Read) {
        Free(buffer);  // taken, then the reading failed
    }
    named.buffer = buffer;
    named.state = state;
    pool_->changed.notify_all();
}

std::unique_ptr<InputFile> ReadAhead::openForReading(const std::string& path) {
    std::unique_lock lock(pool_->mutex);
    const auto found = std::find_if(named_.begin(), named_.end(),
                                    [&](const std::shared_ptr<Named>& named) { return named->path == path; });
    if (found == named_.end()) {
        lock.unlock();
        return target().openForReading(path);
    }
    const std::shared_ptr<Named> taken = *found;
    // The worker reads in order, so once this file is done every file before it is too.
    pool_->changed.wait(lock, [&] { return taken->state != State::Waiting; });
    // Files named before this one and never opened (an import that stopped early) are dropped.
    for (auto earlier = named_.begin(); earlier != found; ++earlier) {
        if ((*earlier)->state == State::Read) {
            pool_->release((*earlier)->buffer);
        }
    }
    named_.erase(named_.begin(), found + 1);
    lock.unlock();
    if (taken->state == State::Skipped) {
        return target().openForReading(path);
    }
    // The owner of the bytes first: from then on, whatever fails gives them back.
    const Buffer buffer = taken->buffer;
    std::shared_ptr<const std::uint8_t> bytes(buffer.bytes, [pool = pool_, buffer](const std::uint8_t*) {
        const std::lock_guard lock(pool->mutex);
        pool->release(buffer);
    });
    return std::make_unique<ReadAheadFile>(std::move(bytes), buffer);
}

}  // namespace tramelo
