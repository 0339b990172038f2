#include "export/OutputSteps.h"

#include "base/Texts.h"
#include "shapefile/FileSystem.h"
#include "workspace/Platform.h"

namespace tramelo {

OutputOutcome RunOutputSteps(Platform& platform, const std::function<void()>& create,
                             const std::function<void()>& write) {
    try {
        create();
    } catch (const FileError& error) {
        platform.showMessage(Message(MessageKind::Warning).text(texts::kCannotCreate).path(error.path()));
        return OutputOutcome::NotCreated;
    }
    try {
        write();
    } catch (const FileError& error) {
        platform.showMessage(Message(MessageKind::Warning).text(texts::kCannotWrite).path(error.path()));
        return OutputOutcome::WriteFailed;
    }
    return OutputOutcome::Written;
}

}  // namespace tramelo
