#include <iostream>
#include <string>
#include <vector>

#include "cli/BatchMerge.h"
#include "shapefile/DiskFileSystem.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// On Windows the arguments arrive as UTF-16 and the core takes paths as UTF-8; the console
// is switched to UTF-8 so that the messages read as written.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
        if (size > 1) {
            WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, arg.data(), size, nullptr, nullptr);
        }
        args.push_back(std::move(arg));
    }
    SetConsoleOutputCP(CP_UTF8);
    tramelo::DiskFileSystem files;
    return tramelo::RunBatchMerge(args, files, std::cout, std::cerr);
}

#else

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    tramelo::DiskFileSystem files;
    return tramelo::RunBatchMerge(args, files, std::cout, std::cerr);
}

#endif
