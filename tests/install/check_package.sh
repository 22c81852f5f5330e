#!/usr/bin/env bash
# Builds the Debian package from a copy of the source tree with dpkg-buildpackage (only what the
# package installs; with ccache where it is installed, so a run after the first compiles little),
# and checks what a system installing it gets: lintian --pedantic with nothing but the overrides
# of debian/, the files under /usr, the run-time dependencies, run paths (none on the port
# helper), no build path in any packaged file, the hardening of the helper, no set-user-ID bit,
# and a postinst that creates the group tr4410 and gives the port helper, and nothing else, the
# port-access capability. As root the postinst is run on the unpacked files and on a copy of /etc
# in a mount namespace of its own, where the installed program is started by an ordinary user with
# a platform plugin of that user's own; then the package is installed for real, installed again
# while a writer holds the card, and purged.
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
if git -C "$source" rev-parse --show-toplevel >/dev/null 2>&1; then
    # The files of the checkout as they are now: tracked or new, not ignored, not deleted.
    (cd "$source" && git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ ! -e "$f" ] || printf '%s\0' "$f"; done |
        xargs -0 cp --parents -p -t "$src")
else
    tar -C "$source" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$src" -xf -
fi
export CCACHE_DIR=${CCACHE_DIR:-$work/ccache} CCACHE_BASEDIR=$src
path=$PATH
[ -d /usr/lib/ccache ] && path=/usr/lib/ccache:$PATH
started=$SECONDS
(cd "$src" && PATH=$path dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1 || {
    tail -n 60 "$work/build.log" >&2
    fail "dpkg-buildpackage -us -uc -b (log: $work/build.log)"
}
echo "dpkg-buildpackage: $((SECONDS - started)) s"
debs=("$work"/tr4410-settings_*.deb)
[ -f "${debs[0]}" ] || fail "no package made in $work"
deb=${debs[0]}
changes=$(ls "$work"/tr4410-settings_*.changes)

# lintian: no error or warning that debian/ does not override with its reason.
lintian --pedantic --display-info --fail-on error,warning "$changes" >"$out/lintian.log" 2>&1 || {
    cat "$out/lintian.log" >&2
    fail "lintian --pedantic reports errors or warnings"
}
echo "lintian --pedantic: $(grep -c . "$out/lintian.log" || true) remark(s) below warning level"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo fonts-wine libcap2-bin adduser; do
    grep -Eq "(^|, )$d( |,|$)" <<<"$depends" || fail "Depends lacks $d: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = setserial ] || fail "the package does not recommend setserial"
dpkg-deb -f "$deb" Description | grep -q 'cap_sys_rawio' || fail "the description does not mention the capability"

contents=$(dpkg-deb -c "$deb")
for f in "$bindir/tr4410-settings" "$bindir/tr4410ctl" "$libdir/libvanto32.so" \
    "$datadir/man/man1/tr4410-settings.1.gz" "$datadir/man/man1/tr4410ctl.1.gz" \
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
helper_file=$out/root/usr/$libexecdir/tr4410-settings/tr4410-port-helper
for f in "$out/root/usr/$libdir/libvanto32.so" "$helper_file"; do
    if readelf -d "$f" | grep -Eq '\((RUN)?PATH\)'; then
        fail "the packaged ${f#"$out/root"} carries a run path"
    fi
done
# The hardening of dpkg-buildflags, above all in the helper.
readelf -d "$helper_file" | grep -Eq 'FLAGS.*BIND_NOW|FLAGS_1.*NOW' || fail "the helper is not linked with BIND_NOW"
readelf -lW "$helper_file" | grep -q GNU_RELRO || fail "the helper has no RELRO"
readelf -sW --dyn-syms "$helper_file" | grep -q '__stack_chk_fail' || fail "the helper has no stack protector"
readelf -sW --dyn-syms "$helper_file" | grep -q '_chk@' || fail "the helper has no fortified functions"
# No build path anywhere in the package.
for p in "$src" "$build" "$source"; do
    if grep -rlF -- "$p" "$out/root" | grep -q .; then
        fail "packaged files name the build path $p: $(grep -rlF -- "$p" "$out/root" | head -n 5)"
    fi
done

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
    echo "dpkg -i: skipped (tr4410-settings is installed on this machine already)"
    exit 0
fi
lock=/run/tr4410/write.lock
[ -d /run/tr4410 ] && keep_run=1 || keep_run=0
stop_writer() { [ -z "${writer:-}" ] || { pkill -P "$writer"; kill "$writer"; wait "$writer"; } 2>/dev/null || true; writer=; }
trap 'stop_writer; dpkg --purge tr4410-settings >/dev/null 2>&1; [ $keep_run = 1 ] || rm -rf /run/tr4410; rm -rf "$out"' EXIT
dpkg_install() { dpkg -i "$deb" >"$out/dpkg.log" 2>&1 || { cat "$out/dpkg.log" >&2 && fail "dpkg -i $*"; }; }
dpkg_install
modes=$(stat -c '%n %U:%G %a' "$helper" /run/tr4410 "$lock")
[ "$modes" = "$helper root:tr4410 750
/run/tr4410 root:tr4410 750
$lock root:tr4410 660" ] || fail "installed: $modes"
capabilities=$(dpkg -L tr4410-settings | xargs -d '\n' getcap 2>/dev/null || true)
[ -z "$capabilities" ] || [ "$capabilities" = "$helper cap_sys_rawio=ep" ] || fail "capabilities: $capabilities"
echo "installed: $(tr '\n' ',' <<<"$modes") capabilities: ${capabilities:-none (no file system support)}"
ask() { # ask GROUPS: the installed helper's answer to a write, for user 65534 in those groups
    echo "W 301 1" | setpriv --reuid=65534 --regid=65534 --groups="$1" sh -c "exec $helper" 2>/dev/null || true
}
group=$(getent group tr4410 | cut -d: -f3)
flock "$lock" sleep 120 &
writer=$!
dpkg_install "while a writer holds the card"
answer=$(ask "$group")
[ "$answer" = "BUSY another program is writing to the card" ] || fail "after the upgrade, another writer got '$answer'"
stop_writer
answer2=$(ask "$group")
grep -Eqx 'OK|NOACCESS no (port I/O in this kernel|capability)' <<<"$answer2" || fail "a member then got '$answer2'"
[ -z "$(ask 65534)" ] || fail "an outsider could run the installed helper"
echo "upgrade while a writer holds the card: '$answer'; then a member: '$answer2'; an outsider: cannot run it"
echo "package $(basename "$deb"): ok"
