# Cross-builds Windows (x86-64) programs with Debian's MinGW-w64, POSIX thread model:
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#     -DwxWidgets_CONFIG_EXECUTABLE=<wxMSW>/bin/wx-config    (or -DTRAMELO_GUI=OFF)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRAMELO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRAMELO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRAMELO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TRAMELO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRAMELO_MINGW_TRIPLET})
# A wxMSW installed elsewhere (scripts/wxmsw.sh), given by its wx-config: its headers and
# libraries are target files too.
if(wxWidgets_CONFIG_EXECUTABLE)
  get_filename_component(TRAMELO_WXMSW_PREFIX "${wxWidgets_CONFIG_EXECUTABLE}/../.." ABSOLUTE)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TRAMELO_WXMSW_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: the GCC runtime, the C++ library and winpthread are linked in,
# so an .exe runs on a Windows machine (or under Wine) without MinGW's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
