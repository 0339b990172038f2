#include "workspace/Platform.h"

#include <ctime>

#include "platform/OperatingSystem.h"

namespace tramelo {

CalendarDate LocalDateToday() {
    std::tm local{};
    if (!LocalTime(std::time(nullptr), local)) {
        return {};
    }
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace tramelo
