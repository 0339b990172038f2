#include <iostream>
#include <string>
#include <vector>

#include "cli/BatchMerge.h"
#include "platform/OperatingSystem.h"
#include "shapefile/DiskFileSystem.h"

#ifdef _WIN32

// On Windows the arguments arrive as UTF-16 and the core takes paths as UTF-8; the console
// is switched to UTF-8 so that the messages read as written.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(tramelo::Utf8FromWide(argv[i]));
    }
    tramelo::UseUtf8Console();
    tramelo::CatchInterrupts();
    tramelo::DiskFileSystem files;
    return tramelo::RunBatchMerge(args, files, std::cout, std::cerr);
}

#else

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    tramelo::CatchInterrupts();
    tramelo::DiskFileSystem files;
    return tramelo::RunBatchMerge(args, files, std::cout, std::cerr);
}

#endif
