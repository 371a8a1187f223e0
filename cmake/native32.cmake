# The portable logic as the 32-bit DLL runs it: i386 code from the host g++
# (g++-multilib), linked statically so that qemu-i386 (qemu-user-static)
# runs it without 32-bit libraries installed; ctest starts every test
# program through it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386-static)

# The processors the tests ask the emulator for (QEMU_CPU). The emulator
# stops a program at any instruction its processor lacks, so these also
# prove which of the loader's x86 steps ran: core2duo is the oldest with
# SSSE3, coreduo has SSE2 and SSE3 but no SSSE3.
set(BRISKLET_QEMU_CPU core2duo)
set(BRISKLET_QEMU_SSE2_CPU coreduo)
