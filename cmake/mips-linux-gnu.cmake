# Cross build for the router: 32-bit big-endian MIPS Linux.
#
#   cmake -S . -B build-mips -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mips-linux-gnu.cmake \
#         -DCMAKE_BUILD_TYPE=Release
#
# Needs Debian's g++-mips-linux-gnu (its C library lives in the sysroot
# /usr/mips-linux-gnu) and, to run anything here, qemu-user.  There is no
# binfmt_misc on our build machines, so every MIPS binary is started as
# "qemu-mips -L /usr/mips-linux-gnu PROG": ctest does that through
# CMAKE_CROSSCOMPILING_EMULATOR, the sandbox tool through its wrappers.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)

set(KP7_MIPS_TRIPLE mips-linux-gnu)
set(KP7_MIPS_SYSROOT /usr/${KP7_MIPS_TRIPLE})

set(CMAKE_C_COMPILER ${KP7_MIPS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KP7_MIPS_TRIPLE}-g++)
set(CMAKE_STRIP ${KP7_MIPS_TRIPLE}-strip CACHE FILEPATH "")

# Libraries and headers only from the MIPS sysroot: the host's OpenSSL must
# not be mistaken for the router's.  Programs (cmake, qemu) from the host.
set(CMAKE_FIND_ROOT_PATH ${KP7_MIPS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No OpenSSL for the router here: TLS line reading is left out.
set(KP7_TLS OFF CACHE BOOL "Read lines through TLS connections (needs OpenSSL)")

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mips;-L;${KP7_MIPS_SYSROOT})
