#pragma once

// A day of the calendar, as the .DBF header records its last update.

namespace tramelo {

struct CalendarDate {
    int year = 1900;
    int month = 1;
    int day = 1;
};

}  // namespace tramelo
