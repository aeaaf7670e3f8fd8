# Cross-builds for another Linux CPU with Debian's cross compilers
# (crossbuild-essential-ARCH) and the multiarch libraries of that
# architecture (dpkg --add-architecture ARCH; the ARCH packages install beside
# the machine's own, in /usr/lib/TRIPLET). Programs built here run on this
# machine under qemu's user-mode emulator, which CMake uses for build-time
# tools and CTest.
#   -DSKR_CROSS=aarch64-linux-gnu    arm64 (Raspberry Pi OS, Debian, Ubuntu)
#   -DSKR_CROSS=s390x-linux-gnu      s390x, a big-endian CPU
#   -DSKR_CROSS_SYSROOT=DIR          libraries unpacked by hand, beside the
#                                    installed ones (libjpeg for s390x)
#   -DSKR_QEMU_ARGS=...              the emulator's options (-L for a loader
#                                    that is not installed in /lib)
if(NOT SKR_CROSS)
  message(FATAL_ERROR "debian-cross.cmake: give the target's GNU triplet, e.g. -DSKR_CROSS=aarch64-linux-gnu")
endif()
# (The compiler checks' own projects read this file again, with these.)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SKR_CROSS SKR_CROSS_SYSROOT SKR_QEMU_ARGS)
set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${SKR_CROSS}")
set(CMAKE_C_COMPILER ${SKR_CROSS}-gcc)
set(CMAKE_CXX_COMPILER ${SKR_CROSS}-g++)
# Libraries and their CMake packages from /usr/lib/TRIPLET, headers from
# /usr/include (and /usr/include/TRIPLET, which the cross compilers search).
set(CMAKE_LIBRARY_ARCHITECTURE ${SKR_CROSS})
if(SKR_CROSS_SYSROOT)
  list(APPEND CMAKE_PREFIX_PATH ${SKR_CROSS_SYSROOT}/usr)
  foreach(lang C CXX)
    string(APPEND CMAKE_${lang}_FLAGS_INIT " -isystem ${SKR_CROSS_SYSROOT}/usr/include/${SKR_CROSS}")
  endforeach()
endif()
# pkg-config reads only the target's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${SKR_CROSS}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The emulator of the target's CPU: qemu-aarch64, qemu-s390x, ...
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR} ${SKR_QEMU_ARGS})
endif()
