#include "export/OutputSet.h"

#include <chrono>
#include <cstdint>
#include <random>

namespace tramelo {

namespace {

constexpr std::string_view kTemporarySuffix = ".partial";
constexpr std::size_t kRunDigits = 16;

// Runs operation, turning its failure into one that names the target.
template <class Operation>
void NamingTarget(const std::string& target, const char* what, Operation operation) {
    try {
        operation();
    } catch (const FileError&) {
        throw FileError(target, what);
    }
}

void RefuseProtected(FileSystem& files, const std::string& target) {
    if (files.isReadOnly(target)) {
        throw FileError(target, "must not be written over");
    }
}

// This run's digits: random, with the clock and an address of this process mixed in, so that
// two runs started at once on machines with a poor random device still differ.
const std::string& RunDigits() {
    static const std::string digits = [] {
        std::random_device device;
        std::uint64_t value = (std::uint64_t{device()} << 32) ^ device();
        value ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        value ^= reinterpret_cast<std::uintptr_t>(&device) * 0x9E3779B97F4A7C15ull;
        std::string text(kRunDigits, '0');
        for (char& digit : text) {
            digit = "0123456789abcdef"[value & 15];
            value >>= 4;
        }
        return text;
    }();
    return digits;
}

}  // namespace

std::string TemporaryName(std::string_view target) {
    return std::string(target).append(".").append(RunDigits()).append(kTemporarySuffix);
}

bool IsTemporaryOf(std::string_view name, std::string_view target) {
    if (name.size() != target.size() + 1 + kRunDigits + kTemporarySuffix.size() ||
        !name.starts_with(target) || !name.ends_with(kTemporarySuffix) || name[target.size()] != '.') {
        return false;
    }
    for (const char c : name.substr(target.size() + 1, kRunDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

OutputSet::File::File(FileSystem& files, std::string target)
    : target_(std::move(target)), temporary_(TemporaryName(target_)) {
    NamingTarget(target_, "cannot create", [&] { file_ = files.createForWriting(temporary_); });
}

void OutputSet::File::write(const void* data, std::size_t size) {
    NamingTarget(target_, "cannot write", [&] { file_->write(data, size); });
}

void OutputSet::File::seekToStart() {
    NamingTarget(target_, "cannot write", [&] { file_->seekToStart(); });
}

void OutputSet::File::close() {
    if (!closed_) {
        NamingTarget(target_, "cannot write", [&] { file_->close(); });
        closed_ = true;
    }
}

OutputSet::~OutputSet() {
    if (!committed_) {
        for (File& file : created_) {
            file.abandon();
            files_.remove(file.temporary());
        }
    }
}

OutputSet::File& OutputSet::create(std::string target) {
    RefuseProtected(files_, target);
    // On failure the File is not kept, so nothing of it is left to remove.
    return created_.emplace_back(files_, std::move(target));
}

void OutputSet::drop(std::string target) {
    RefuseProtected(files_, target);
    dropped_.push_back(std::move(target));
}

void OutputSet::close() {
    for (File& file : created_) {
        file.close();
    }
}

}  // namespace tramelo
