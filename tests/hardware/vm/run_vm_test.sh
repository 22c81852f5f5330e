#!/usr/bin/env bash
# Boots a small x86-64 Linux VM and checks the real port-I/O library and its port helper against a
# real kernel. The VM records every byte written to port 0x302, the data register of a card at
# control base 0x300, through a UART placed there.
#   as root                      the probe port answers a byte, and the bytes arrive;
#   as a member of tr4410        the same, with no capability on the program or in its process;
#   as a user outside the group  the probe port answers 0xAA55, and nothing arrives;
#   a hand-written client        without the write lock its write is refused with the reason; port
#                                0x21, a base of 0x0F0, a port address code of 0x0E and IRQ 14 are
#                                refused, nothing arrives;
#   a pause between index and    the data write after the lock was given back is refused;
#   data write
#   two clients at once          the second is refused while the first one writes;
#   two helpers in a row         each with a single write, they land at least 10 ms apart (by
#                                QEMU's trace) on a second UART at 0x311, an index register;
#   the main window              a whole write arrives; with the helper killed halfway, the window
#                                shows the error, not the closing "Confirmation".
# Then the same initramfs boots a kernel locked down as under Secure Boot (lockdown=integrity), as
# root: check reports the lockdown (exit 6), write exits 3 with its message and nothing arrives,
# and the window's "No Port Access" box names it.
# Exits 77 (skipped) where the machine cannot run it: no QEMU, busybox or kernel package.
#
# usage: run_vm_test.sh PROBE LIBVANTO32 VM_HELPER INIT CACHE_DIR WORK_DIR PORT_HELPER WINDOW_PROBE
#                       LIBDIR LIBEXECDIR TR4410CTL LOCKDOWN_INIT
#        (LIBEXECDIR absolute: the installed library's helper is there)
set -euo pipefail

probe=$1 vanto32=$2 helper=$3 init=$4 cache=$5 work=$6 port_helper=$7 window=$8 libdir=$9 libexecdir=${10}
ctl=${11} lockdown_init=${12}

# skip, fail, check, run, vm_host (which sets qemu and busybox), vm_kernel, vm_libraries, vm_root,
# vm_pack, vm_boot, vm_log
. "$(dirname "$0")/vm_kernel.sh"
vm_host

# --- the kernel: Debian's cloud kernel, unpacked into the cache (never installed) -------------
kernel=$(vm_kernel "$cache") || skip "no Debian cloud kernel package could be obtained (apt-get download linux-image-*-cloud-amd64)"
echo "kernel: $kernel"

# --- the initramfs, one for both boots --------------------------------------------------------
rm -rf "$work"
root=$work/root
vm_root "$root"
mkdir -p "$root"/{run,lib/x86_64-linux-gnu,"usr/$libdir","$libexecdir/tr4410-settings"}
cp "$probe" "$root/bin/port_probe"
cp "$window" "$root/bin/window_probe"
cp "$helper" "$root/bin/vm_helper"
cp "$ctl" "$root/bin/tr4410ctl"
cp "$init" "$root/init"
cp "$lockdown_init" "$root/lockdown-init"
chmod 755 "$root/init" "$root/lockdown-init" "$root/bin/"*
# The installed libvanto32, and the port helper where it starts it: the install's libexec folder.
cp -L "$vanto32" "$root/usr/$libdir/libvanto32.so"
installed_helper=$libexecdir/tr4410-settings/tr4410-port-helper
cp "$port_helper" "$root$installed_helper"
echo "$installed_helper" >"$root/helper-path"
# The window runs on Qt's offscreen platform.
plugin=$(find /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms -name libqoffscreen.so | head -n 1)
[ -n "$plugin" ] || skip "Qt's offscreen platform plugin is not installed"
mkdir -p "$root$(dirname "$plugin")"
cp "$plugin" "$root$plugin"
vm_libraries "$root" "$probe" "$window" "$port_helper" "$plugin" "$ctl"
[ -e "$root/lib64/ld-linux-x86-64.so.2" ] || fail "the dynamic loader was not found by ldd"
cat >"$root/card.json" <<'CARD'
{ "version": 1, "controlBase": "0x300",
  "ports": { "A": "0x100", "B": "0x108", "C": "0x110", "D": "0x118",
             "E": "0x120", "F": "0x128", "G": "0x130", "H": "0x138" }, "irq": 5 }
CARD
vm_pack "$root" "$work/initrd.gz"

# boot NAME [KERNEL_PARAMETER...]: boots the initramfs; sets serial to what reached the card's data
# register, uart to QEMU's trace of the UARTs and log to the console. The recording UART at 0x302
# is the card's data register; pnpacpi=off keeps the kernel from taking it for a serial port of
# its own (it would write its console there).
boot() {
    local name=$1 console=$work/$1-console.log status=0
    shift
    serial=$work/$name-serial2.out uart=$work/$name-uart.log
    vm_boot "$console" 240 "$serial" "$qemu" -m 1024 -nographic -no-reboot -monitor none \
        -kernel "$kernel" -initrd "$work/initrd.gz" \
        -append "console=ttyS0 panic=-1 quiet loglevel=3 pnpacpi=off $*" \
        -serial stdio -chardev "file,id=card,path=$serial" -device isa-serial,chardev=card,iobase=0x302,irq=5 \
        -chardev null,id=spacing -device isa-serial,chardev=spacing,iobase=0x311,irq=7 \
        -trace serial_write -msg timestamp=on -D "$uart" ||
        status=$?
    vm_log "$console" "$status"
}

# --- the ordinary kernel -----------------------------------------------------------------------
boot access
line() { grep "^PROBE $1 " <<<"$log" || fail "no answer from the probe run $1"; }
field() { sed -n "s/.* $2=\([0-9A-Fa-fx]*\).*/\1/p" <<<"$1"; }
root_line=$(line ROOT)
member_line=$(line MEMBER)
outsider_line=$(line OUTSIDER)
second_line=$(line SECOND)
grep -q "VMHELPER setcap ok" <<<"$log" || fail "the file capability could not be set on the initramfs root"

hex() { od -An -tx1 -v | tr -d ' \n'; }
r=$(field "$root_line" port61) m=$(field "$member_line" port61) o=$(field "$outsider_line" port61)
check "root reads a byte from port 0x61 ($r)" '[ -n "$r" ] && [ $((r)) -le 255 ] && [ "$(field "$root_line" read)" = 0 ]'
check "a port beyond 0xFFFF answers 0xAA55 even for root" '[ "$(field "$root_line" beyond)" = 0xAA55 ]'
check "root's writes are carried out" '[ "$(field "$root_line" write)" = 0 ]'
check "a member of tr4410 reads a byte ($m) and its writes are carried out" \
    '[ -n "$m" ] && [ $((m)) -le 255 ] && [ "$(field "$member_line" write)" = 0 ]'
check "the member's program runs with no capability" \
    'grep -q "uid=1000 euid=1000" <<<"$member_line" && [ "$(field "$member_line" capeff)" = 0000000000000000 ]'
check "neither the window nor the probe carries a file capability" \
    'grep -q "getcap /bin/window_probe none" <<<"$log" && grep -q "getcap /bin/port_probe none" <<<"$log"'
check "the helper carries cap_sys_rawio" 'grep -q "getcap /usr/.*/tr4410-port-helper permitted=0x00020000" <<<"$log"'
check "a user outside the group reads 0xAA55 ($o), told: no access" \
    '[ "$o" = 0xAA55 ] && [ "$(field "$outsider_line" read)" = 1 ] && [ "$(field "$outsider_line" write)" = 1 ]'
hand=$(grep "^HAND " <<<"$log" || true)
check "without the write lock, a write is refused with the reason" \
    'grep -qx "NOLOCK NOACCESS no write lock: /run/tr4410/write.lock is missing" <<<"$log"'
check "a hand-written client is refused port 0x21 and a base of 0x0F0" \
    '[ "$(grep -c "^HAND REFUSED" <<<"$hand")" = 6 ] && grep -q "^HAND REFUSED port may not be read" <<<"$hand" && grep -q "^HAND REFUSED control base address out of range" <<<"$hand"'
check "W 301 1 / W 302 E (port A at the clock's 0x070) and W 301 9 / W 302 E (IRQ 14) are refused" \
    'grep -q "^HAND REFUSED port address code must be 20 to 7F" <<<"$hand" && grep -q "^HAND REFUSED IRQ must be" <<<"$hand"'
check "the same client's allowed writes pass" '[ "$(grep -c "^HAND OK" <<<"$hand")" = 5 ]'
check "after the lock was given back, a data write without a new index write is refused" \
    '[ "$(grep "^STALE " <<<"$log" | tr "\n" /)" = "STALE OK/STALE REFUSED data write without an index write to this base/" ]'
check "a second client writing meanwhile is told: busy" '[ "$(field "$second_line" write)" = 3 ]'
# When the UARTs took the two helpers' bytes (0x01 and 0x02 go nowhere else), by QEMU's trace.
at() { sed -n "s/^[0-9]*@\([0-9]*\)\.\([0-9]*\):serial_write write addr 0x00 val $1\$/\1\2/p" "$uart" | head -n 1; }
gap=$(($(at 0x02) - $(at 0x01)))
check "two helpers in a row, one write each, land 10 ms apart ($gap us)" '[ "$gap" -ge 10000 ]'
window() { grep "^WINDOW $1 " <<<"$log" || true; }
written=$(window WRITE)
killed=$(window KILL)
check "the window, as a member, ends with the closing Confirmation" \
    'grep -q "box Confirmation: The resources have been written" <<<"$written" && grep -q "done configuring=0" <<<"$written"'
check "the window runs with no capability" '[ "$(grep -c "capeff=0000000000000000" <<<"$written$killed")" = 2 ]'
check "the helper was killed halfway" 'grep -q "killed the helper [0-9]" <<<"$killed"'
check "the window then shows the error, not the success box" \
    'grep -q "box Write Failed: Writing the port resources to the card broke off" <<<"$killed" && ! grep -q "have been written" <<<"$killed" && grep -q "done configuring=1" <<<"$killed"'

got=$(hex <"$serial")
values=7f5f7d5d202122230a00 # the window's default protocol is RS-485: no RS-422 ports
expected_start=$(printf 'ROOT\nMEMBER\nH\n%s\n' "$(printf 'L%.0s' $(seq 52))" | hex)$values
check "the bytes of root, the member, the client, the first writer and the window arrived, nothing else" \
    '[ "${got:0:${#expected_start}}" = "$expected_start" ]'
partial=${got:${#expected_start}}
check "the window's write with the helper killed broke off partway (${#partial} hex digits)" \
    '[ ${#partial} -ge 2 ] && [ ${#partial} -lt ${#values} ] && [ "${values:0:${#partial}}" = "$partial" ]'
[ "$errors" -eq 0 ] || echo "the card's data register got: $(od -c "$serial" | head -8)"

# --- a kernel locked down as under Secure Boot -------------------------------------------------
boot lockdown rdinit=/lockdown-init lockdown=integrity
check "the kernel is locked down" 'grep -q "^VMTEST lockdown .*\[integrity\]" <<<"$log"'
check "check reports the lockdown (exit 6)" \
    'run check | grep -q "^problem: the kernel is locked down (integrity): Linux refuses direct port access" && run check | grep -qx "exit 6"'
check "write exits 3 with the lockdown message" \
    'run write | grep -q "^tr4410ctl: no access to the I/O ports .*: the kernel is locked down: Linux refuses direct port access even to root; turn Secure Boot off" && run write | grep -qx "exit 3"'
check "the window's No Port Access box names the lockdown" \
    'grep -q "^WINDOW WRITE box No Port Access: The card could not be reached: Linux is locked down (Secure Boot)" <<<"$log"'
check "nothing arrived at the card's data register" '[ ! -s "$serial" ]'
[ "$errors" -eq 0 ] || fail "$errors check(s) failed"
echo "all VM checks passed"
