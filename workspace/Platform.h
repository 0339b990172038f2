#pragma once

// What the core needs of the program around it: the files, a way to show a message and
// wait until the user has seen it, and today's date. The desktop program answers with
// message boxes, the batch command with lines on its output streams, the tests with a
// recorder, in-memory files and a fixed date.

#include "base/CalendarDate.h"
#include "shapefile/FileSystem.h"
#include "workspace/Message.h"

namespace tramelo {

class Platform {
public:
    virtual ~Platform() = default;

    virtual FileSystem& files() = 0;
    // Shows the message and returns once the user has dismissed it.
    virtual void showMessage(const Message& message) = 0;
    // The local calendar date, written into the .DBF headers.
    virtual CalendarDate today() = 0;
};

// The local calendar date of this machine.
CalendarDate LocalDateToday();

}  // namespace tramelo
