#!/usr/bin/env bash
# Builds the Debian package from a copy of the sources with dpkg-buildpackage (the program only,
# with ccache where installed) and checks what a system installing it gets: lintian --pedantic
# clean but for debian/'s overrides, the files under /usr, the dependencies, run paths (none on
# the helper), no build path, the helper's hardening, no set-user-ID bit, and a postinst that
# creates the group tr4410 and gives the helper, and nothing else, the capability. As root the
# postinst runs on the unpacked files in a mount namespace with a copy of /etc, where an ordinary
# user starts the program with a plugin of their own; then the package is installed for real,
# again while a writer holds the card, and purged.
set -euo pipefail
source=$1 build=$2 bindir=$3 libdir=$4 datadir=$5 appstream_id=$6 libexecdir=$7 probe_plugin=$8

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

out=$(mktemp -d /tmp/tr4410-deb.XXXXXX)
trap 'rm -rf "$out"' EXIT

# The package is built at a fixed place in the build tree, so that ccache finds its objects again.
work=$build/debian-package
src=$work/tr4410-settings
rm -rf "$src" "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo
mkdir -p "$src"
tar -C "$source" --exclude='./build*' --exclude=./.git --exclude='./obj-*' -cf - . | tar -C "$src" -xf -
# No CCACHE_BASEDIR: ccache then compiles exactly what a build without it compiles (same bytes).
export CCACHE_DIR=${CCACHE_DIR:-$work/ccache} CCACHE_BASEDIR=
started=$SECONDS
(cd "$src" && PATH=/usr/lib/ccache:$PATH dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1 || {
    tail -n 60 "$work/build.log" >&2
    fail "dpkg-buildpackage -us -uc -b (log: $work/build.log)"
}
echo "dpkg-buildpackage: $((SECONDS - started)) s"
deb=$(ls "$work"/tr4410-settings_*.deb) || fail "no package made in $work"
lintian --pedantic --fail-on error,warning "$work"/*.changes >"$out/lintian.log" 2>&1 || {
    cat "$out/lintian.log" >&2
    fail "lintian --pedantic reports errors or warnings that debian/ does not override"
}
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo fonts-wine libcap2-bin adduser; do
    grep -Eq "(^|, )$d( |,|$)" <<<"$depends" || fail "Depends lacks $d: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = setserial ] || fail "the package does not recommend setserial"
grep -q cap_sys_rawio <<<"$(dpkg-deb -f "$deb" Description)" || fail "the description does not mention the capability"

contents=$(dpkg-deb -c "$deb")
for f in "$bindir/tr4410-settings" "$bindir/tr4410ctl" "$libdir/libvanto32.so" \
    "$datadir/man/man1/tr4410-settings.1.gz" "$datadir/man/man1/tr4410ctl.1.gz" \
    "$datadir/bash-completion/completions/tr4410ctl" \
    "$datadir/applications/tr4410-settings.desktop" \
    "$datadir/metainfo/$appstream_id.metainfo.xml" "$datadir/icons/hicolor/scalable/apps/tr4410-settings.svg" \
    "$datadir/doc/tr4410-settings/README.md.gz" "$datadir/doc/tr4410-settings/copyright" \
    "$datadir/doc/tr4410-settings/changelog.gz" "lib/tmpfiles.d/tr4410-settings.conf" \
    "$libexecdir/tr4410-settings/tr4410-port-helper"; do
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
# No run path on the library or the helper; the helper hardened (BIND_NOW, stack protector, fortify).
h=$out/root/usr/$libexecdir/tr4410-settings/tr4410-port-helper
! readelf -d "$out/root/usr/$libdir/libvanto32.so" "$h" | grep -E '\((RUN)?PATH\)' || fail "a run path, above"
[ "$(readelf -dsW "$h" | grep -Ec 'FLAGS.*BIND_NOW|__stack_chk_fail|_chk@')" -ge 3 ] || fail "the helper is not hardened"
! grep -rlF -e "$src" -e "$build" -e "$source" "$out/root" || fail "packaged files (above) name a build path"

dpkg-deb -e "$deb" "$out/control"
postinst=$out/control/postinst
[ -x "$postinst" ] || fail "no executable postinst"
helper=/usr/$libexecdir/tr4410-settings/tr4410-port-helper
grep -qx "helper=$helper" "$postinst" || fail "postinst names the wrong helper"
grep -q 'systemd-tmpfiles.*tr4410-settings.conf' "$postinst" || fail "postinst does not make the write lock"
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

# Installed for real. The write lock lives in /run/tr4410, which the package does not own: a writer
# holding it keeps every other writer out also while dpkg replaces the helper.
if dpkg-query -W -f='${Status}' tr4410-settings 2>/dev/null | grep -q 'install ok installed'; then
    echo "dpkg -i: skipped (tr4410-settings is installed on this machine already)" && exit 0
fi
lock=/run/tr4410/write.lock keep_run=$([ -d /run/tr4410 ] && echo 1 || echo 0)
stop_writer() { [ -z "${writer:-}" ] || { pkill -P "$writer"; kill "$writer"; wait "$writer"; } 2>/dev/null || true; writer=; }
trap 'stop_writer; dpkg --purge tr4410-settings >/dev/null 2>&1; [ $keep_run = 1 ] || rm -rf /run/tr4410; rm -rf "$out"' EXIT
dpkg_install() { dpkg -i "$deb" >"$out/dpkg.log" 2>&1 || { cat "$out/dpkg.log" >&2 && fail "dpkg -i $*"; }; }
dpkg_install
modes=$(stat -c '%n %U:%G %a' "$helper" /run/tr4410 "$lock" | tr '\n' ' ')
[ "$modes" = "$helper root:tr4410 750 /run/tr4410 root:tr4410 750 $lock root:tr4410 640 " ] || fail "installed: $modes"
caps=$(dpkg -L tr4410-settings | xargs -d '\n' getcap 2>/dev/null || true)
[ -z "$caps" ] || [ "$caps" = "$helper cap_sys_rawio=ep" ] || fail "capabilities: $caps"
ask() { # ask GROUPS: the installed helper's answer to a write, for user 65534 in those groups
    echo "W 301 1" | setpriv --reuid=65534 --regid=65534 --groups="$1" sh -c "exec $helper" 2>/dev/null || true
}
flock "$lock" sleep 120 &
writer=$!
dpkg_install "while a writer holds the card"
busy=$(ask "$(getent group tr4410 | cut -d: -f3)")
grep -Eqx "BUSY another program is writing to the card: flock \(process $writer, user root\)" <<<"$busy" || fail "after the upgrade, another writer got '$busy'"
stop_writer
free=$(ask "$(getent group tr4410 | cut -d: -f3)")
grep -Eqx 'OK|NOACCESS no (port I/O in this kernel|capability)' <<<"$free" || fail "a member then got '$free'"
[ -z "$(ask 65534)" ] || fail "an outsider could run the installed helper"
echo "installed: $modes${caps:-(no capabilities on this file system)}; writer during the upgrade: '$busy', after: '$free'"
echo "package $(basename "$deb"): ok"
