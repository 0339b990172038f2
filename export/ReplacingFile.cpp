#include "export/ReplacingFile.h"

namespace tramelo {

namespace {

constexpr const char* kTemporarySuffix = ".partial";

// Runs operation, turning its failure into one that names the target.
template <class Operation>
void NamingTarget(const std::string& target, const char* what, Operation operation) {
    try {
        operation();
    } catch (const FileError&) {
        throw FileError(target, what);
    }
}

}  // namespace

ReplacingFile::ReplacingFile(FileSystem& files, std::string target)
    : files_(files), target_(std::move(target)), temporary_(target_ + kTemporarySuffix) {
    // Replacing the file by renaming would go around its protection, so a read-only target
    // counts as a file that cannot be created.
    if (files_.isReadOnly(target_)) {
        throw FileError(target_, "read-only");
    }
    NamingTarget(target_, "cannot create", [&] { file_ = files_.createForWriting(temporary_); });
}

ReplacingFile::~ReplacingFile() {
    if (!committed_) {
        file_.reset();
        files_.remove(temporary_);
    }
}

void ReplacingFile::write(const void* data, std::size_t size) {
    NamingTarget(target_, "cannot write", [&] { file_->write(data, size); });
}

void ReplacingFile::seekToStart() {
    NamingTarget(target_, "cannot write", [&] { file_->seekToStart(); });
}

void ReplacingFile::close() {
    NamingTarget(target_, "cannot write", [&] { file_->close(); });
}

void ReplacingFile::commit() {
    NamingTarget(target_, "cannot replace", [&] { files_.replace(temporary_, target_); });
    committed_ = true;
}

}  // namespace tramelo
