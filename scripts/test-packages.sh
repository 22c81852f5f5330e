# Packages that only the test suite needs (sourced by setup.sh).
packages+=(xauth)
# The VM test of port access: an emulator, a static shell for its init, and the initramfs packer.
packages+=(qemu-system-x86 busybox-static cpio)
