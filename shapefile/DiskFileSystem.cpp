#include "shapefile/DiskFileSystem.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#endif

namespace tramelo {

namespace {

namespace fs = std::filesystem;

fs::path NativePath(const std::string& path) {
#ifdef _WIN32
    return fs::path(std::u8string(path.begin(), path.end()));
#else
    return fs::path(path);
#endif
}

// Reads through a window of its own: the importers seek before every record, and most of
// those seeks land where the previous record ended, so they must not cost a system call
// or throw the buffered bytes away.
class DiskInputFile final : public InputFile {
public:
    static constexpr std::size_t kWindow = 256 * 1024;

    explicit DiskInputFile(const std::string& path) {
        file_.pubsetbuf(nullptr, 0);
        if (file_.open(NativePath(path), std::ios::in | std::ios::binary) == nullptr) {
            throw FileError(path, "cannot open for reading");
        }
        const auto end = file_.pubseekoff(0, std::ios::end, std::ios::in);
        size_ = end < 0 ? 0 : static_cast<std::int64_t>(end);
        window_.resize(kWindow);
    }

    std::size_t read(void* destination, std::size_t size) override {
        auto* out = static_cast<char*>(destination);
        std::size_t done = 0;
        while (done < size) {
            if (cursor_ == filled_ && !refill()) {
                break;
            }
            const std::size_t step = std::min(size - done, filled_ - cursor_);
            std::memcpy(out + done, window_.data() + cursor_, step);
            cursor_ += step;
            done += step;
        }
        return done;
    }

    std::int64_t seek(std::int64_t position) override {
        if (position < 0 || position > size_) {
            return -1;
        }
        if (position >= windowStart_ &&
            position <= windowStart_ + static_cast<std::int64_t>(filled_)) {
            cursor_ = static_cast<std::size_t>(position - windowStart_);
        } else {
            windowStart_ = position;
            cursor_ = filled_ = 0;
        }
        return position;
    }

    std::int64_t size() const override { return size_; }

private:
    bool refill() {
        windowStart_ += static_cast<std::int64_t>(filled_);
        cursor_ = filled_ = 0;
        if (file_.pubseekpos(windowStart_, std::ios::in) != windowStart_) {
            return false;
        }
        const auto got = file_.sgetn(window_.data(), static_cast<std::streamsize>(window_.size()));
        filled_ = got > 0 ? static_cast<std::size_t>(got) : 0;
        return filled_ > 0;
    }

    std::filebuf file_;
    std::int64_t size_ = 0;
    std::vector<char> window_;
    std::int64_t windowStart_ = 0;  // file position of window_[0]
    std::size_t filled_ = 0;        // valid bytes in the window
    std::size_t cursor_ = 0;        // next byte to hand out
};

class DiskOutputFile final : public OutputFile {
public:
    static constexpr std::size_t kBuffer = 1024 * 1024;

    explicit DiskOutputFile(const std::string& path) : path_(path), buffer_(kBuffer) {
        file_.pubsetbuf(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        if (file_.open(NativePath(path), std::ios::out | std::ios::trunc | std::ios::binary) ==
            nullptr) {
            throw FileError(path, "cannot create");
        }
    }

    void write(const void* data, std::size_t size) override {
        const auto count = static_cast<std::streamsize>(size);
        if (file_.sputn(static_cast<const char*>(data), count) != count) {
            throw FileError(path_, "cannot write");
        }
    }

    void seekToStart() override {
        if (file_.pubseekpos(0, std::ios::out) != std::streampos(0)) {
            throw FileError(path_, "cannot seek");
        }
    }

    void close() override {
        if (file_.close() == nullptr) {
            throw FileError(path_, "cannot write");
        }
    }

private:
    std::string path_;
    std::vector<char> buffer_;  // declared before file_: the stream writes into it until closed
    std::filebuf file_;
};

}  // namespace

std::unique_ptr<InputFile> DiskFileSystem::openForReading(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(NativePath(path), error)) {
        throw FileError(path, "not a readable file");
    }
    return std::make_unique<DiskInputFile>(path);
}

bool DiskFileSystem::exists(const std::string& path) {
    std::error_code error;
    return fs::exists(NativePath(path), error);
}

std::unique_ptr<OutputFile> DiskFileSystem::createForWriting(const std::string& path) {
    return std::make_unique<DiskOutputFile>(path);
}

bool DiskFileSystem::isReadOnly(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(NativePath(path), error);
    return !error && fs::exists(status) &&
           (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

void DiskFileSystem::replace(const std::string& from, const std::string& target) {
#ifdef _WIN32
    // MoveFileExW replaces an existing target in one step; not every standard library's
    // rename does on Windows.
    const bool moved = MoveFileExW(NativePath(from).c_str(), NativePath(target).c_str(),
                                   MOVEFILE_REPLACE_EXISTING) != 0;
#else
    std::error_code error;
    fs::rename(NativePath(from), NativePath(target), error);
    const bool moved = !error;
#endif
    if (!moved) {
        throw FileError(target, "cannot replace");
    }
}

void DiskFileSystem::remove(const std::string& path) noexcept {
    std::error_code error;
    fs::remove(NativePath(path), error);
}

}  // namespace tramelo
