#include "workspace/MergeWorkspace.h"

#include "base/Texts.h"
#include "platform/PathSeparator.h"
#include "workspace/DatasetSchema.h"

namespace tramelo {

namespace {

using ImportOperation = int (MergeWorkspace::*)(const std::string&);

AddOutcome AddFile(MergeWorkspace& workspace, const std::string& path, AcquiredFileList& acquired,
                   std::vector<std::string>& given, ImportOperation import) {
    if (acquired.contains(path)) {
        return AddOutcome::AlreadyAcquired;
    }
    given.push_back(path);
    if ((workspace.*import)(path) != 1) {
        return AddOutcome::Rejected;
    }
    acquired.append(path);
    return AddOutcome::Acquired;
}

}  // namespace

RunCrs& MergeWorkspace::crsOf(const DatasetSchema& schema) {
    return &schema == &kStopsSchema ? stopsCrs : routesCrs;
}

const RunCrs& MergeWorkspace::crsOf(const DatasetSchema& schema) const {
    return &schema == &kStopsSchema ? stopsCrs : routesCrs;
}

MergeWorkspace::~MergeWorkspace() {
    if (writeAhead_ != nullptr) {
        writeAhead_->drop();
    }
}

AddOutcome MergeWorkspace::AddStopsFile(const std::string& path) {
    const AddOutcome outcome = AddFile(*this, path, acquiredStops, givenStops, &MergeWorkspace::ImportStops);
    if (outcome == AddOutcome::Acquired && writeAhead_ != nullptr) {
        writeAhead_->merged(*this);
    }
    return outcome;
}

AddOutcome MergeWorkspace::AddRoutesFile(const std::string& path) {
    const AddOutcome outcome =
        AddFile(*this, path, acquiredRoutes, givenRoutes, &MergeWorkspace::ImportRoutes);
    if (outcome == AddOutcome::Acquired && writeAhead_ != nullptr) {
        writeAhead_->merged(*this);
    }
    return outcome;
}

std::string MergeWorkspace::FolderOf(std::string_view path) {
    const std::size_t separator = path.rfind(kPathSeparator);
    return std::string(separator == std::string_view::npos ? path : path.substr(0, separator));
}

Message MergeWorkspace::AlreadyAcquiredMessage(std::string_view path) {
    Message message(MessageKind::Warning);
    message.text(texts::kAlreadyAcquiredBefore).path(path).text(texts::kAlreadyAcquiredAfter);
    return message;
}

}  // namespace tramelo
