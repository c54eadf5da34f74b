# Shared part of the two MinGW-w64 toolchain files. The posix thread model is
# the one Debian ships GoogleTest-compatible headers for.
set(CMAKE_C_COMPILER ${SOPORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SOPORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SOPORA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SOPORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the Windows test programs under Wine through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
