#include "workspace/Platform.h"

#include <ctime>

namespace tramelo {

CalendarDate LocalDateToday() {
    const std::time_t now = std::time(nullptr);
    // The program is single-threaded, so the shared buffer of std::localtime is safe here.
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) {
        return {};
    }
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

}  // namespace tramelo
