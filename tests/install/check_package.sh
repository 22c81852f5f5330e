#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what a system installing it gets: the
# files under /usr, the run-time dependencies, a run path into /usr (not into the staging area),
# no set-user-ID bit, and a postinst that creates the group tr4410 and gives the port helper, and
# nothing else, the port-access capability. As root the postinst is run for real, on the unpacked
# files and on a copy of /etc in a mount namespace of its own, and the installed program is started
# by an ordinary user with a platform plugin of that user's own on its command line.
set -euo pipefail
build=$1 bindir=$2 libdir=$3 datadir=$4 appstream_id=$5 libexecdir=$6 probe_plugin=$7

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

out=$(mktemp -d /tmp/tr4410-deb.XXXXXX)
trap 'rm -rf "$out"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log" >&2
    fail "cpack -G DEB"
}
debs=("$out"/tr4410-settings_*.deb)
[ -f "${debs[0]}" ] || fail "no package made in $out"
deb=${debs[0]}

depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo fonts-wine libcap2-bin adduser; do
    grep -Eq "(^|, )$d( |,|$)" <<<"$depends" || fail "Depends lacks $d: $depends"
done
dpkg-deb -f "$deb" Description | grep -q 'cap_sys_rawio' || fail "the description does not mention the capability"

contents=$(dpkg-deb -c "$deb")
for f in "$bindir/tr4410-settings" "$bindir/tr4410ctl" "$libdir/libvanto32.so" \
    "$datadir/man/man1/tr4410-settings.1.gz" "$datadir/man/man1/tr4410ctl.1.gz" \
    "$datadir/applications/tr4410-settings.desktop" \
    "$datadir/metainfo/$appstream_id.metainfo.xml" "$datadir/icons/hicolor/scalable/apps/tr4410-settings.svg" \
    "$datadir/doc/tr4410-settings/README.md" "$libexecdir/tr4410-settings/tr4410-port-helper"; do
    grep -q " \./usr/$f\$" <<<"$contents" || fail "/usr/$f is not in the package"
done
if grep -E '^-[^ ]*[sS]' <<<"$contents"; then
    fail "the package holds set-user-ID or set-group-ID files"
fi
# Until the postinst has given it to the group, only root can run the helper.
grep -Eq "^-rwxr-x--- root/root .* \./usr/$libexecdir/tr4410-settings/tr4410-port-helper\$" <<<"$contents" ||
    fail "the helper is not packaged root:root 0750: $(grep tr4410-port-helper <<<"$contents")"

dpkg-deb -x "$deb" "$out/root"
runpath=$(readelf -d "$out/root/usr/$bindir/tr4410-settings" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p')
[ "$runpath" = "/usr/$libdir" ] || fail "the packaged program's run path is '$runpath', expected '/usr/$libdir'"
runpath=$(readelf -d "$out/root/usr/$bindir/tr4410ctl" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p')
[ "$runpath" = "/usr/$libdir" ] || fail "the packaged tr4410ctl's run path is '$runpath', expected '/usr/$libdir'"
if readelf -d "$out/root/usr/$libdir/libvanto32.so" | grep -Eq '\((RUN)?PATH\)'; then
    fail "the packaged libvanto32.so carries a run path"
fi

dpkg-deb -e "$deb" "$out/control"
postinst=$out/control/postinst
[ -x "$postinst" ] || fail "no executable postinst"
helper=/usr/$libexecdir/tr4410-settings/tr4410-port-helper
grep -qx "helper=$helper" "$postinst" || fail "postinst names the wrong helper"
grep -q 'setcap cap_sys_rawio+ep "$helper"' "$postinst" || fail "postinst does not give the helper the capability"
grep -q 'addgroup --system' "$postinst" || fail "postinst does not create the group"
if grep -q "/usr/$bindir" "$postinst"; then
    fail "postinst touches the program"
fi
sh -n "$postinst" || fail "postinst is not a valid shell script"

if [ "$(id -u)" -ne 0 ] || ! unshare --mount true 2>/dev/null; then
    echo "postinst run: skipped (needs root and mount namespaces)"
    echo "package $(basename "$deb"): ok"
    exit 0
fi

# The postinst run for real on the unpacked files; the group it adds goes into a copy of /etc
# that only this mount namespace sees. A file system without capabilities must not fail it.
root=$out/root
chmod 755 "$out" # the program below runs as an ordinary user
mkdir -p "$out/etc" "$out/plugins"
cp -a /etc/. "$out/etc/"
cp "$probe_plugin" "$out/plugins/"
sed "s|^helper=.*|helper=$root$helper|" "$postinst" >"$out/postinst.local"
mkdir -p "$out/no-setcap"
printf '#!/bin/sh\nexit 1\n' >"$out/no-setcap/setcap"
chmod 755 "$out/no-setcap/setcap"
unshare --mount --propagation private bash -s -- "$out" "$root" "$helper" "$bindir" "$libdir" <<'INSTALLED' ||
set -euo pipefail
out=$1 root=$2 helper=$3 bindir=$4 libdir=$5
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
mount --bind "$out/etc" /etc
sh "$out/postinst.local" configure || fail "postinst failed"
sh "$out/postinst.local" configure || fail "postinst failed when run again (upgrade)"
getent group tr4410 >/dev/null || fail "no group tr4410 after the installation"
echo "group: $(getent group tr4410)"
owner=$(stat -c '%U:%G %a' "$root$helper")
[ "$owner" = "root:tr4410 750" ] || fail "the helper is $owner, expected root:tr4410 750"
echo "helper: $owner"
capabilities=$(getcap -r "$root" 2>/dev/null)
if [ -z "$capabilities" ]; then
    echo "capabilities: the file system here takes none; not checked"
else
    [ "$capabilities" = "$root$helper cap_sys_rawio=ep" ] ||
        fail "getcap -r lists more or other than the helper: $capabilities"
    echo "capabilities: only $capabilities"
fi
PATH="$out/no-setcap:$PATH" sh "$out/postinst.local" configure 2>/dev/null ||
    fail "postinst fails the installation when setcap fails"

# An ordinary user hands the program a platform plugin of their own; it is loaded, and runs
# with no capability at all.
log=$out/plugin.log
env -i PATH=/usr/bin:/bin HOME=/nonexistent LD_LIBRARY_PATH="$root/usr/$libdir" \
    setpriv --reuid=65534 --regid=65534 --clear-groups timeout -s KILL 20 \
    "$root/usr/$bindir/tr4410-settings" -platformpluginpath "$out/plugins" -platform capprobe >"$log" 2>&1 || true
grep -q '^CAPPROBE CapEff:' "$log" || {
    cat "$log" >&2
    fail "the user's plugin was not loaded"
}
grep -q '^CAPPROBE CapEff:[[:space:]]*0000000000000000$' "$log" || fail "the plugin ran with capabilities: $(grep CAPPROBE "$log")"
echo "user's plugin: loaded, $(grep '^CAPPROBE CapEff' "$log" | tr -s '\t ' ' ')"
INSTALLED
    fail "the installation checks failed"
echo "package $(basename "$deb"): ok"
