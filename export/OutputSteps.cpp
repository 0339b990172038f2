#include "export/OutputSteps.h"

#include "base/Texts.h"
#include "shapefile/FileSystem.h"
#include "workspace/Platform.h"

namespace tramelo {

OutputResult TryOutputSteps(const std::function<void()>& create, const std::function<void()>& write) {
    try {
        create();
    } catch (const FileError& error) {
        return {OutputOutcome::NotCreated, error.path()};
    }
    try {
        write();
    } catch (const FileError& error) {
        return {OutputOutcome::WriteFailed, error.path()};
    }
    return {};
}

void ShowOutputFailure(Platform& platform, const OutputResult& result) {
    switch (result.outcome) {
    case OutputOutcome::Written: break;
    case OutputOutcome::NotCreated:
        platform.showMessage(
            Message(MessageKind::Warning).text(texts::kCannotCreate).path(result.failedPath));
        break;
    case OutputOutcome::WriteFailed:
        platform.showMessage(Message(MessageKind::Warning).text(texts::kCannotWrite).path(result.failedPath));
        break;
    }
}

}  // namespace tramelo
