# Cross-compiles for 32-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(OM6211_MINGW_PREFIX i686-w64-mingw32)
# The win32 thread model needs no winpthread runtime; the plain name is Debian's default choice.
find_program(CMAKE_CXX_COMPILER NAMES ${OM6211_MINGW_PREFIX}-g++-win32 ${OM6211_MINGW_PREFIX}-g++
             REQUIRED)
set(CMAKE_RC_COMPILER ${OM6211_MINGW_PREFIX}-windres)
find_program(CMAKE_DLLTOOL ${OM6211_MINGW_PREFIX}-dlltool REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${OM6211_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
