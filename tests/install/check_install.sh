#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks the result as a user's system would
# see it: every file in place, the port-I/O library found through an absolute run path (also in
# secure-execution mode, as under the package's file capability), and the program starting.
set -euo pipefail
build=$1 bindir=$2 libdir=$3 datadir=$4 appstream_id=$5

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$(mktemp -d /tmp/tr4410-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
chmod 755 "$prefix" # the secure-execution run below is not root's

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    fail "cmake --install into $prefix"
}
rm -f "$prefix.log"

program=$prefix/$bindir/tr4410-settings
library=$prefix/$libdir/libvanto32.so
for f in "$program" "$library" \
    "$prefix/$datadir/applications/tr4410-settings.desktop" \
    "$prefix/$datadir/metainfo/$appstream_id.metainfo.xml" \
    "$prefix/$datadir/icons/hicolor/scalable/apps/tr4410-settings.svg" \
    "$prefix/$datadir/icons/hicolor/48x48/apps/tr4410-settings.png" \
    "$prefix/$datadir/icons/hicolor/256x256/apps/tr4410-settings.png"; do
    [ -f "$f" ] || fail "not installed: ${f#"$prefix"/}"
done
[ -x "$program" ] || fail "the program is not executable"
[ ! -u "$program" ] || fail "the program is set-user-ID"

# The run path must be the prefix's lib directory, by its absolute name: $ORIGIN does not count
# under a file capability.
runpath=$(readelf -d "$program" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p')
[ "$runpath" = "$prefix/$libdir" ] || fail "run path is '$runpath', expected '$prefix/$libdir'"

resolved=$(env -u LD_LIBRARY_PATH ldd "$program" | sed -n 's/^\s*libvanto32\.so => \(\S*\).*/\1/p')
[ "$resolved" = "$library" ] || fail "libvanto32.so resolves to '$resolved', expected '$library'"
if env -u LD_LIBRARY_PATH ldd "$program" | grep -q 'not found'; then
    env -u LD_LIBRARY_PATH ldd "$program" >&2
    fail "unresolved libraries"
fi

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

# With the capability the package grants, run by an ordinary user: the loader is in secure-execution
# mode and ignores LD_LIBRARY_PATH, so the library must come through the absolute run path.
if [ "$(id -u)" -eq 0 ] && setcap cap_sys_rawio+ep "$program" 2>/dev/null; then
    run env LD_LIBRARY_PATH=/nonexistent HOME=/nonexistent QT_QPA_PLATFORM=offscreen \
        setpriv --reuid=65534 --regid=65534 --clear-groups timeout -s TERM 3 "$program"
    echo "secure-execution start: ok"

    # The user's environment must not lead the privileged program to code of the user's choosing:
    # a plugin folder named in QT_PLUGIN_PATH is never even looked at.
    if command -v strace >/dev/null; then
        mkdir -p "$prefix/user-plugins/platforms"
        run env HOME=/nonexistent QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$prefix/user-plugins" \
            timeout -s TERM 3 strace -f -u nobody -e trace=%file -o "$prefix/strace.log" "$program"
        if grep -q "$prefix/user-plugins" "$prefix/strace.log"; then
            grep "$prefix/user-plugins" "$prefix/strace.log" | head -5 >&2
            fail "the program with port access looked into the user's QT_PLUGIN_PATH"
        fi
        echo "secure-execution environment: ok"
    fi
else
    echo "secure-execution start: skipped (needs root and a file system with capabilities)"
fi
echo "install into $prefix: ok"
