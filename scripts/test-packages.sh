# Packages that only the test suite needs (sourced by setup.sh).
packages+=(xauth)
# The checks of the desktop entry and AppStream metadata.
packages+=(appstream desktop-file-utils)
# The package test runs the post-installation script in a mount namespace of its own (unshare,
# setpriv: util-linux) and needs addgroup.
packages+=(util-linux adduser)
# The VM test of port access: an emulator, a static shell for its init, and the initramfs packer.
packages+=(qemu-system-x86 busybox-static cpio)
# The fuzz targets of the parsers: clang with libFuzzer and the sanitizer runtimes.
packages+=(clang-14 libclang-rt-14-dev)
# The benchmarks (bench/README.md) and the tests on a real X server: the server, a window manager,
# and the tools that read back what the window system received.
packages+=(xvfb openbox x11-utils)
# The jumper sheet's PDF, rendered to compare it with its PNG.
packages+=(poppler-utils)
# The accessibility tests: Qt's platform layer (private headers) for the in-process events, and a
# real AT-SPI client on the virtual X server with its own session and accessibility buses.
packages+=(qt6-base-private-dev at-spi2-core python3-pyatspi dbus-x11)
# The package test: dpkg-buildpackage with debhelper, lintian, ccache to keep its build of the
# program quick, and systemd-tmpfiles, which the postinst runs to make the write lock.
packages+=(dpkg-dev debhelper lintian ccache systemd)
# systemd-analyze verify (systemd, above) of the serial ports' boot-time unit runs the programs it names.
packages+=(setserial udev)
# The test of a native Wayland session: the compositor (headless, with its screenshot client), and
# pngtopnm to read the screenshots.
packages+=(weston qt6-wayland netpbm)
# The test of the Ansible role: the example playbook on this machine, and the linter of roles.
packages+=(ansible-core ansible-lint)
