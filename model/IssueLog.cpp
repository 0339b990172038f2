#include "model/IssueLog.h"

#include "base/Texts.h"

namespace tramelo {

std::string DuplicateCodeMessage(std::string_view code) {
    std::string message;
    message.reserve(code.size() + 2 + texts::kDifferentRepeat.size());
    message += '"';
    message += code;
    message += '"';
    message += texts::kDifferentRepeat;
    return message;
}

}  // namespace tramelo
