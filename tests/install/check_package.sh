#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what a system installing it gets: the
# files under /usr, the run-time dependencies, a run path into /usr (not into the staging area),
# no set-user-ID bit, and a postinst that grants the port-access capability.
set -euo pipefail
build=$1 bindir=$2 libdir=$3 datadir=$4 appstream_id=$5

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
for d in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo fonts-wine libcap2-bin; do
    grep -Eq "(^|, )$d( |,|$)" <<<"$depends" || fail "Depends lacks $d: $depends"
done
dpkg-deb -f "$deb" Description | grep -q 'cap_sys_rawio' || fail "the description does not mention the capability"

contents=$(dpkg-deb -c "$deb")
for f in "$bindir/tr4410-settings" "$libdir/libvanto32.so" "$datadir/applications/tr4410-settings.desktop" \
    "$datadir/metainfo/$appstream_id.metainfo.xml" "$datadir/icons/hicolor/scalable/apps/tr4410-settings.svg"; do
    grep -q " \./usr/$f\$" <<<"$contents" || fail "/usr/$f is not in the package"
done
if grep -E '^-[^ ]*[sS]' <<<"$contents"; then
    fail "the package holds set-user-ID or set-group-ID files"
fi

dpkg-deb -x "$deb" "$out/root"
runpath=$(readelf -d "$out/root/usr/$bindir/tr4410-settings" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p')
[ "$runpath" = "/usr/$libdir" ] || fail "the packaged program's run path is '$runpath', expected '/usr/$libdir'"
if readelf -d "$out/root/usr/$libdir/libvanto32.so" | grep -Eq '\((RUN)?PATH\)'; then
    fail "the packaged libvanto32.so carries a run path"
fi

dpkg-deb -e "$deb" "$out/control"
postinst=$out/control/postinst
[ -x "$postinst" ] || fail "no executable postinst"
grep -q "setcap cap_sys_rawio+ep \"\$program\"" "$postinst" || fail "postinst does not set the capability"
grep -qx "program=/usr/$bindir/tr4410-settings" "$postinst" || fail "postinst names the wrong program"
sh -n "$postinst" || fail "postinst is not a valid shell script"
if grep -q chmod "$postinst"; then
    fail "postinst changes file modes"
fi

# The postinst run against a copy of the program (with the same capability call) must leave it
# with exactly that capability, and must not fail the installation where setcap cannot work.
if [ "$(id -u)" -eq 0 ]; then
    copy=$out/root/usr/$bindir/tr4410-settings
    sed "s|^program=.*|program=$copy|" "$postinst" >"$out/postinst.local"
    sh "$out/postinst.local" configure || fail "postinst failed"
    if getcap "$copy" | grep -q 'cap_sys_rawio[=+]ep'; then
        echo "postinst granted: $(getcap "$copy")"
    else
        echo "postinst: the file system here takes no capabilities; not checked"
    fi
    sed "s|^program=.*|program=$out/missing|" "$postinst" >"$out/postinst.missing"
    sh "$out/postinst.missing" configure 2>/dev/null || fail "postinst fails the installation when setcap fails"
fi
echo "package $(basename "$deb"): ok"
