#!/usr/bin/env bash
# A kernel locked down as under Secure Boot (lockdown=integrity), the real port-I/O library and
# helper, as root; a UART at 0x302 (a card's data register) records what reaches it. check reports
# the lockdown (exit 6), write exits 3 with its message and nothing arrives, and the window's
# "No Port Access" box names it. Exits 77 (skipped) where no VM can be run.
#
# usage: run_lockdown_vm_test.sh TR4410CTL WINDOW_PROBE LIBVANTO32 PORT_HELPER INIT CACHE_DIR WORK_DIR
#                                LIBDIR LIBEXECDIR
set -euo pipefail

ctl=$1 window=$2 vanto32=$3 port_helper=$4 init=$5 cache=$6 work=$7 libdir=$8 libexecdir=$9

. "$(dirname "$0")/vm_kernel.sh" # skip, fail, check, vm_host, vm_kernel, vm_libraries, vm_boot
vm_host
kernel=$(vm_kernel "$cache") || skip "no Debian cloud kernel package could be obtained (apt-get download linux-image-*-cloud-amd64)"
echo "kernel: $kernel"
plugin=$(find /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms -name libqoffscreen.so | head -n 1)
[ -n "$plugin" ] || skip "Qt's offscreen platform plugin is not installed"
# --- the initramfs: the programs where an install puts them, with their libraries ----------------
rm -rf "$work"
root=$work/root
mkdir -p "$root"/{bin,proc,sys,dev,"usr/$libdir","${libexecdir#/}/tr4410-settings"}
cp "$busybox" "$root/bin/busybox"
cp "$ctl" "$root/bin/tr4410ctl"
cp "$window" "$root/bin/window_probe"
cp "$init" "$root/init"
cp -L "$vanto32" "$root/usr/$libdir/libvanto32.so"
cp "$port_helper" "$root$libexecdir/tr4410-settings/tr4410-port-helper"
mkdir -p "$root$(dirname "$plugin")"
cp "$plugin" "$root$plugin"
vm_libraries "$root" "$ctl" "$window" "$port_helper" "$plugin"
chmod 755 "$root/init" "$root/bin/"*
cat >"$root/card.json" <<'CARD'
{ "version": 1, "controlBase": "0x300",
  "ports": { "A": "0x100", "B": "0x108", "C": "0x110", "D": "0x118",
             "E": "0x120", "F": "0x128", "G": "0x130", "H": "0x138" }, "irq": 5 }
CARD
(cd "$root" && find . | cpio -o -H newc -R 0:0 --quiet) | gzip -1 >"$work/initrd.gz"
# --- boot --------------------------------------------------------------------------------------
console=$work/console.log
serial=$work/data-register.out
status=0
vm_boot "$console" 240 "$serial" "$qemu" -m 1024 -nographic -no-reboot -monitor none \
    -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 panic=-1 quiet loglevel=3 pnpacpi=off lockdown=integrity" \
    -serial stdio -chardev "file,id=card,path=$serial" -device isa-serial,chardev=card,iobase=0x302,irq=5 ||
    status=$?
grep -aE "^(VMTEST|WINDOW)" "$console" | tr -d '\r' || true
grep -q "VMTEST done" "$console" || {
    tail -n 40 "$console"
    fail "the VM did not finish (qemu status $status)"
}
# --- verdict -----------------------------------------------------------------------------------
log=$(tr -d '\r' <"$console")
run() { sed -n "s/^VMTEST $1 //p" <<<"$log"; }
check "the kernel is locked down" 'grep -q "^VMTEST lockdown .*\[integrity\]" <<<"$log"'
check "check reports the lockdown (exit 6)" \
    'run check | grep -q "^problem: the kernel is locked down (integrity): Linux refuses direct port access" && run check | grep -qx "exit 6"'
check "write exits 3 with the lockdown message" \
    'run write | grep -q "^tr4410ctl: no access to the I/O ports .*: the kernel is locked down: Linux refuses direct port access even to root; turn Secure Boot off" && run write | grep -qx "exit 3"'
check "the window's No Port Access box names the lockdown" \
    'grep -q "^WINDOW WRITE box No Port Access: The card could not be reached: Linux is locked down (Secure Boot)" <<<"$log"'
check "nothing arrived at the card's data register" '[ ! -s "$serial" ]'
[ "$errors" -eq 0 ] || fail "$errors check(s) failed"
echo "all lockdown VM checks passed"
