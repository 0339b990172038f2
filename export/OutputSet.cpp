#include "export/OutputSet.h"

namespace tramelo {

namespace {

constexpr const char* kTemporarySuffix = ".partial";
constexpr const char* kEarlierSuffix = ".previous";

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

}  // namespace

OutputSet::File::File(FileSystem& files, std::string target)
    : target_(std::move(target)), temporary_(target_ + kTemporarySuffix) {
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

void OutputSet::commit() {
    close();
    std::vector<const std::string*> targets;
    for (const File& file : created_) {
        targets.push_back(&file.target());
    }
    for (const std::string& target : dropped_) {
        targets.push_back(&target);
    }

    std::vector<const std::string*> setAside;
    std::vector<const std::string*> placed;
    try {
        for (const std::string* target : targets) {
            if (files_.exists(*target)) {
                NamingTarget(*target, "cannot replace",
                             [&] { files_.replace(*target, *target + kEarlierSuffix); });
                setAside.push_back(target);
            }
        }
        for (const File& file : created_) {
            NamingTarget(file.target(), "cannot replace",
                         [&] { files_.replace(file.temporary(), file.target()); });
            placed.push_back(&file.target());
        }
    } catch (const FileError&) {
        // Back to the earlier set: the new files out, the earlier ones in again. Nothing can
        // be done here about a move back that fails too; the earlier file then keeps its
        // aside name, which is still better than losing it.
        for (const std::string* target : placed) {
            files_.remove(*target);
        }
        for (const std::string* target : setAside) {
            try {
                files_.replace(*target + kEarlierSuffix, *target);
            } catch (const FileError&) {
            }
        }
        throw;
    }
    committed_ = true;
    for (const std::string* target : setAside) {
        files_.remove(*target + kEarlierSuffix);
    }
}

}  // namespace tramelo
