# Packages that only the test suite needs (sourced by setup.sh).
packages+=(xauth)
# The checks of the desktop entry and AppStream metadata.
packages+=(appstream desktop-file-utils)
# The install test watches the privileged program's file accesses.
packages+=(strace)
