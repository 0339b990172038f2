#include "workspace/MergeWorkspace.h"

#include <cassert>

#include "base/Texts.h"
#include "shapefile/FileSystem.h"

namespace tramelo {

namespace {

using ImportOperation = int (MergeWorkspace::*)(const std::string&);

AddOutcome AddFile(MergeWorkspace& workspace, const std::string& path, AcquiredFileList& acquired,
                   ImportOperation import) {
    if (acquired.contains(path)) {
        return AddOutcome::AlreadyAcquired;
    }
    if ((workspace.*import)(path) != 1) {
        return AddOutcome::Rejected;
    }
    acquired.append(path);
    return AddOutcome::Acquired;
}

}  // namespace

AddOutcome MergeWorkspace::AddStopsFile(const std::string& path) {
    return AddFile(*this, path, acquiredStops, &MergeWorkspace::ImportStops);
}

AddOutcome MergeWorkspace::AddRoutesFile(const std::string& path) {
    return AddFile(*this, path, acquiredRoutes, &MergeWorkspace::ImportRoutes);
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

bool MergeWorkspace::Finish(const std::string& outputFolder) {
    assert(HasMergedData());
    bool allWritten = true;
    for (auto output :
         {&MergeWorkspace::WriteReport, &MergeWorkspace::ExportStops, &MergeWorkspace::ExportRoutes}) {
        const OutputOutcome outcome = (this->*output)(outputFolder);
        if (outcome == OutputOutcome::WriteFailed) {
            return false;
        }
        allWritten = allWritten && outcome == OutputOutcome::Written;
    }
    return allWritten;
}

}  // namespace tramelo
