#!/usr/bin/env bash
# Boots a small x86-64 Linux VM and checks the real port-I/O library against a real kernel:
#   as root                 the probe port answers a byte, and bytes reach the second serial port;
#   as an unprivileged user the probe port answers 0xAA55, and nothing is written;
#   as that user with the cap_sys_rawio file capability on the program, it works again.
# Exits 77 (skipped) where the machine cannot run it: no QEMU, busybox or kernel package.
#
# usage: run_vm_test.sh PROBE LIBVANTO32 HELPER INIT CACHE_DIR WORK_DIR
set -euo pipefail

probe=$1 vanto32=$2 helper=$3 init=$4 cache=$5 work=$6

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    exit 1
}

[ "$(uname -m)" = x86_64 ] || skip "needs an x86-64 host"
qemu=$(command -v qemu-system-x86_64) || skip "qemu-system-x86_64 is not installed (package qemu-system-x86)"
busybox=/bin/busybox
[ -x "$busybox" ] && ! ldd "$busybox" >/dev/null 2>&1 || skip "a static /bin/busybox is needed (package busybox-static)"
command -v cpio >/dev/null || skip "cpio is not installed"

# --- the kernel: Debian's cloud kernel, unpacked into the cache (never installed) -------------
kernel_from_cache() {
    find "$cache" -path '*/boot/vmlinuz-*' -type f 2>/dev/null | sort -V | tail -n 1
}
fetch_kernel() {
    local name deb
    name=$(apt-cache depends linux-image-cloud-amd64 2>/dev/null |
        awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
    [ -n "$name" ] || return 1
    mkdir -p "$cache/download"
    (cd "$cache/download" && apt-get download "$name" >/dev/null 2>&1) || return 1
    deb=$(ls "$cache/download/${name}"_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || return 1
    rm -rf "$cache/$name.tmp"
    mkdir -p "$cache/$name.tmp"
    # only the kernel image is needed, not the modules
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$cache/$name.tmp" ./boot || return 1
    mv "$cache/$name.tmp" "$cache/$name"
    rm -f "$deb"
}
mkdir -p "$cache"
kernel=$(kernel_from_cache)
if [ -z "$kernel" ]; then
    if ! fetch_kernel; then
        # the package lists may be missing or stale: refresh them once where we may
        if [ "$(id -u)" -eq 0 ]; then
            apt-get update >/dev/null 2>&1 || true
            fetch_kernel || true
        fi
    fi
    kernel=$(kernel_from_cache)
fi
[ -n "$kernel" ] || skip "no Debian cloud kernel package could be obtained (apt-get download linux-image-*-cloud-amd64)"
echo "kernel: $kernel"

# --- the initramfs -----------------------------------------------------------------------------
rm -rf "$work"
root=$work/root
mkdir -p "$root"/{bin,proc,sys,dev,lib/x86_64-linux-gnu}
cp "$busybox" "$root/bin/busybox"
cp "$probe" "$root/bin/port_probe"
cp "$helper" "$root/bin/vm_helper"
cp "$init" "$root/init"
chmod 755 "$root/init" "$root/bin/"*
# The probe's libraries at their system paths; libvanto32 goes into the system library folder,
# where a program with file capabilities (secure execution) finds it.
cp -L "$vanto32" "$root/lib/x86_64-linux-gnu/libvanto32.so"
ldd "$probe" | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }' | while read -r lib; do
    case $lib in
    */libvanto32.so) ;;
    *)
        mkdir -p "$root$(dirname "$lib")"
        cp -L "$lib" "$root$lib"
        ;;
    esac
done
[ -e "$root/lib64/ld-linux-x86-64.so.2" ] || fail "the dynamic loader was not found by ldd"
(cd "$root" && find . | cpio -o -H newc -R 0:0 --quiet) | gzip -1 >"$work/initrd.gz"

# --- boot --------------------------------------------------------------------------------------
accel=tcg
if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
    accel=kvm
fi
console=$work/console.log
serial=$work/serial2.out
: >"$serial"
# run_vm ACCEL BOOT_SECONDS: gives up early when the VM's init has not started by then (nested
# KVM can hang silently right after the kernel is unpacked).
run_vm() {
    : >"$serial"
    timeout 120 "$qemu" -accel "$1" -m 256 -nographic -no-reboot -monitor none \
        -kernel "$kernel" -initrd "$work/initrd.gz" \
        -append "console=ttyS0 panic=-1 quiet loglevel=3" \
        -serial stdio -serial "file:$serial" </dev/null >"$console" 2>&1 &
    local pid=$! ticks=$(($2 * 10))
    while [ "$ticks" -gt 0 ] && kill -0 "$pid" 2>/dev/null && ! grep -q "VMTEST boot" "$console"; do
        sleep 0.1
        ticks=$((ticks - 1))
    done
    if ! grep -q "VMTEST boot" "$console" && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
    fi
    wait "$pid"
}
echo "booting with $accel"
started=$SECONDS
status=0
run_vm "$accel" "$([ "$accel" = kvm ] && echo 20 || echo 90)" || status=$?
if [ "$accel" = kvm ] && ! grep -q "VMTEST boot" "$console"; then
    echo "the VM did not start under KVM, using TCG"
    status=0
    run_vm tcg 90 || status=$?
fi
echo "VM run took $((SECONDS - started)) s"
tr -d '\r' <"$console" | grep -E "^(VMTEST|VMHELPER|PROBE)" || true
grep -q "VMTEST done" "$console" || {
    tail -n 40 "$console"
    fail "the VM did not finish (qemu status $status)"
}

# --- verdict -----------------------------------------------------------------------------------
line() { tr -d '\r' <"$console" | grep "^PROBE $1 " || fail "no answer from the probe run $1"; }
field() { sed -n "s/.* $2=\(0x[0-9A-F]*\).*/\1/p" <<<"$1"; }
root_line=$(line ROOT)
user_line=$(line USER)
caps_line=$(line CAPS)
grep -q "VMHELPER setcap ok" "$console" || fail "the file capability could not be set on the initramfs root"

errors=0
check() {
    if eval "$2"; then echo "ok   - $1"; else
        echo "FAIL - $1"
        errors=$((errors + 1))
    fi
}
r=$(field "$root_line" port61) u=$(field "$user_line" port61) c=$(field "$caps_line" port61)
check "root reads a byte from port 0x61 ($r)" '[ -n "$r" ] && [ $((r)) -le 255 ]'
check "a port beyond 0xFFFF answers 0xAA55 even for root" '[ "$(field "$root_line" beyond)" = 0xAA55 ]'
check "an unprivileged user reads 0xAA55 ($u)" '[ "$u" = 0xAA55 ]'
check "with cap_sys_rawio on the program the user reads a byte ($c)" '[ -n "$c" ] && [ $((c)) -le 255 ]'
check "the user with the capability is not root" 'grep -q "uid=1000 euid=1000" <<<"$caps_line"'
written=$(tr -d '\r' <"$serial")
check "bytes written as root reach the serial port" 'grep -qx ROOT <<<"$written"'
check "nothing is written by an unprivileged user" '! grep -q USER <<<"$written"'
check "bytes written with the capability reach the serial port" 'grep -qx CAPS <<<"$written"'
check "nothing else reached the serial port" '[ "$written" = "$(printf "ROOT\nCAPS")" ]'
[ "$errors" -eq 0 ] || fail "$errors check(s) failed; serial port got: $(od -c "$serial" | head -5)"
echo "all VM checks passed"
