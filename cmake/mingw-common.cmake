# The -posix variants: the -win32 ones lack std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${VELLORY_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLORY_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLORY_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELLORY_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine in the build's own prefix (tools/wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
# The shipped program asks no object for its type; without type information it stays within its
# size budget. The Windows tests go without it too, as classes they derive from have none.
set(CMAKE_CXX_FLAGS_INIT "-fno-rtti")
