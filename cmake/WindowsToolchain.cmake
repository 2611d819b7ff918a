# Cross build for 64-bit Windows with the MinGW-w64 compilers of Debian (the posix thread model, for
# std::thread and std::mutex). Libraries built for Windows by scripts/windows_deps.sh live under
# TILETTA_WINDOWS_PREFIX and are searched before the compiler's own root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(tiletta_triplet x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${tiletta_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tiletta_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${tiletta_triplet}-windres)
set(CMAKE_OBJCOPY ${tiletta_triplet}-objcopy CACHE FILEPATH "objcopy for Windows objects")

set(TILETTA_WINDOWS_PREFIX "" CACHE PATH "Prefix of the Windows builds of glbinding and Clipper")
set(CMAKE_FIND_ROOT_PATH ${TILETTA_WINDOWS_PREFIX} /usr/${tiletta_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained file per program: no runtime DLLs of the compiler to carry along.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
