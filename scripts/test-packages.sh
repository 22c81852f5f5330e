# Packages that only the test suite needs (sourced by setup.sh).
packages+=(xauth)
# The checks of the desktop entry and AppStream metadata.
packages+=(appstream desktop-file-utils)
# The install test watches the privileged program's file accesses.
packages+=(strace)
# The VM test of port access: an emulator, a static shell for its init, and the initramfs packer.
packages+=(qemu-system-x86 busybox-static cpio)
# The fuzz targets of the parsers: clang with libFuzzer and the sanitizer runtimes.
packages+=(clang-14 libclang-rt-14-dev)
