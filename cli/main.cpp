#include <iostream>
#include <string>
#include <vector>

#include "cli/BatchMerge.h"
#include "shapefile/DiskFileSystem.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    tramelo::DiskFileSystem files;
    return tramelo::RunBatchMerge(args, files, std::cout, std::cerr);
}
