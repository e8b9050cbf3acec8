# Builds for 32-bit x86 Linux with the multilib compiler (Debian: g++-multilib) and runs the
# results under user-mode emulation (Debian: qemu-user-static), so that CTest and GoogleTest's
# test discovery execute the i386 binaries on a 64-bit machine that cannot run them natively.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

find_program(OM6211_QEMU_I386 qemu-i386-static qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${OM6211_QEMU_I386})
