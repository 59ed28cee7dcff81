# Cross build for Windows with Debian's MinGW-w64 (posix thread model); programs built here
# run under Wine through the project's launcher, which picks the loader for their
# architecture. Included by the toolchain file of each architecture, which sets
# CMAKE_SYSTEM_PROCESSOR and NIMBELLE_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${NIMBELLE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBELLE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBELLE_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NIMBELLE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine/winerun)
