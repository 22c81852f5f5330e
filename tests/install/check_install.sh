#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks the result as a user's system would
# see it: every file in place, the port-I/O library found through an absolute run path, the port
# helper in its place, and the program starting.
set -euo pipefail
build=$1 bindir=$2 libdir=$3 datadir=$4 appstream_id=$5 fake_ports=${6:-}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$(mktemp -d /tmp/tr4410-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    fail "cmake --install into $prefix"
}
rm -f "$prefix.log"

program=$prefix/$bindir/tr4410-settings
library=$prefix/$libdir/libvanto32.so
for f in "$program" "$library" "$prefix/$bindir/tr4410ctl" \
    "$prefix/$datadir/man/man1/tr4410-settings.1.gz" "$prefix/$datadir/man/man1/tr4410ctl.1.gz" \
    "$prefix/$datadir/bash-completion/completions/tr4410ctl" \
    "$prefix/$datadir/applications/tr4410-settings.desktop" \
    "$prefix/$datadir/metainfo/$appstream_id.metainfo.xml" \
    "$prefix/$datadir/tr4410-settings/ansible/roles/tr4410/tasks/main.yml" \
    "$prefix/$datadir/icons/hicolor/scalable/apps/tr4410-settings.svg" \
    "$prefix/$datadir/icons/hicolor/48x48/apps/tr4410-settings.png" \
    "$prefix/$datadir/icons/hicolor/256x256/apps/tr4410-settings.png"; do
    [ -f "$f" ] || fail "not installed: ${f#"$prefix"/}"
done
[ -x "$program" ] || fail "the program is not executable"
[ ! -u "$program" ] || fail "the program is set-user-ID"

# The run path must be the prefix's lib directory, by its absolute name.
runpath=$(readelf -d "$program" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p')
[ "$runpath" = "$prefix/$libdir" ] || fail "run path is '$runpath', expected '$prefix/$libdir'"

resolved=$(env -u LD_LIBRARY_PATH ldd "$program" | sed -n 's/^\s*libvanto32\.so => \(\S*\).*/\1/p')
[ "$resolved" = "$library" ] || fail "libvanto32.so resolves to '$resolved', expected '$library'"
if env -u LD_LIBRARY_PATH ldd "$program" | grep -q 'not found'; then
    env -u LD_LIBRARY_PATH ldd "$program" >&2
    fail "unresolved libraries"
fi

# The command-line tool finds the same library and answers.
ctl=$prefix/$bindir/tr4410ctl
resolved=$(env -u LD_LIBRARY_PATH ldd "$ctl" | sed -n 's/^\s*libvanto32\.so => \(\S*\).*/\1/p')
[ "$resolved" = "$library" ] || fail "tr4410ctl: libvanto32.so resolves to '$resolved', expected '$library'"
env -u LD_LIBRARY_PATH "$ctl" --version | grep -q '^tr4410ctl ' || fail "the installed tr4410ctl does not start"
man -l "$prefix/$datadir/man/man1/tr4410ctl.1.gz" 2>/dev/null | grep -q 'EXIT STATUS' ||
    ! command -v man >/dev/null || fail "the installed manual page of tr4410ctl does not read"

# Started on its own, the program stays up until it is told to end: timeout's 124 means it ran.
run() {
    local status=0
    "$@" >"$prefix/run.log" 2>&1 || status=$?
    if [ "$status" -ne 124 ]; then
        cat "$prefix/run.log" >&2
        fail "the installed program ended by itself with status $status: $*"
    fi
}
run env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen timeout -s TERM 3 "$program"
# With port access (the test double of the port library) no warning holds the main window back:
# it is shown, framed and painted.
# Told to end, it closes its window and exits normally.
[ -z "$fake_ports" ] || LD_LIBRARY_PATH="$fake_ports" QT_QPA_PLATFORM=offscreen timeout --preserve-status -s TERM 3 \
    "$program" || fail "the installed program with port access did not end normally (status $?)"

# The port helper: at the install's fixed place beside the lib folder, not for everyone to run,
# and with nothing but the C library in it.
helper=$prefix/libexec/tr4410-settings/tr4410-port-helper
[ -f "$helper" ] || fail "not installed: libexec/tr4410-settings/tr4410-port-helper"
[ "$(stat -c %a "$helper")" = 750 ] || fail "the helper's mode is $(stat -c %a "$helper"), expected 750"
if ldd "$helper" | grep -Ev 'linux-vdso|libc\.so|ld-linux' | grep -q .; then
    ldd "$helper" >&2
    fail "the helper links more than the C library"
fi
if readelf -d "$helper" | grep -Eq '\((RUN)?PATH\)'; then
    fail "the helper carries a run path: $(readelf -d "$helper" | grep -E 'PATH')"
fi
if getcap -r "$prefix" 2>/dev/null | grep -q .; then
    fail "an installed file holds a capability: $(getcap -r "$prefix")"
fi
echo "install into $prefix: ok"
