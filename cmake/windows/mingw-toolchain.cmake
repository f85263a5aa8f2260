# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers. The -posix flavour
# carries std::thread and std::mutex, which Qt and the program both use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HOPPER_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HOPPER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HOPPER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HOPPER_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW sysroot and the kit's own prefix; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${HOPPER_MINGW_TRIPLE})
if(DEFINED ENV{HOPPER_KIT_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{HOPPER_KIT_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
