#!/usr/bin/env bash
# The Linux side of the card, end to end: tr4410ctl prints the set-up for eight ports at 0x100 to
# 0x138 sharing IRQ 5; a VM boots the real kernel with the printed kernel parameter and has eight
# ISA 16550 UARTs at those addresses on that IRQ, applies the unit's setserial lines with Debian's
# setserial (unpacked into the initramfs, not installed here), and writes one line to each device.
# Each line must arrive in its own capture file on the host. The machine has its own COM1 at 0x3F8,
# IRQ 4 (the console) beside the card's eight ports; tr4410ctl runs in the VM too, with the real
# port-I/O library and port helper:
#   check   a card file with port A at 0x3F8 is told of the overlap with ttyS0 (exit 6); the good
#           card file passes (exit 0);
#   test    after the set-up all eight ports pass their loopback and IRQ 5 counts; a card file
#           with port H where QEMU has no UART fails that port, its address in the reason (exit 7).
# Exits 77 (skipped) where no VM can be run.
#
# usage: run_serial_vm_test.sh TR4410CTL INIT CACHE_DIR WORK_DIR LIBVANTO32 PORT_HELPER LIBDIR LIBEXECDIR
set -euo pipefail

ctl=$1 init=$2 cache=$3 work=$4 vanto32=$5 port_helper=$6 libdir=$7 libexecdir=$8
no_uart=0x280 # nothing answers there in QEMU's PC
irq=5
addresses=(0x100 0x108 0x110 0x118 0x120 0x128 0x130 0x138)
letters=(A B C D E F G H)

# skip, fail, check, run, vm_host (which sets qemu and busybox), vm_kernel, vm_fetch, vm_libraries,
# vm_root, vm_pack, vm_boot, vm_log
. "$(dirname "$0")/vm_kernel.sh"
vm_host

kernel=$(vm_kernel "$cache") || skip "no Debian cloud kernel package could be obtained (apt-get download linux-image-*-cloud-amd64)"
vm_fetch "$cache" setserial || skip "Debian's setserial package could not be obtained (apt-get download setserial)"
setserial=$cache/setserial/bin/setserial
[ -x "$setserial" ] || fail "the setserial package holds no bin/setserial"
echo "kernel: $kernel"

# --- the set-up, as a user gets it ---------------------------------------------------------------
rm -rf "$work"
mkdir -p "$work/setup"
ports=""
for i in "${!letters[@]}"; do
    ports+="\"${letters[$i]}\": \"${addresses[$i]}\", "
done
cat >"$work/card.json" <<CARD
{ "version": 1, "ports": { ${ports%, } }, "irq": $irq }
CARD
"$ctl" linux --card "$work/card.json" --output "$work/setup" >/dev/null || fail "tr4410ctl linux failed"
sed "s/\"A\": \"0x100\"/\"A\": \"0x3F8\"/" "$work/card.json" >"$work/card-com1.json"
sed "s/\"H\": \"0x138\"/\"H\": \"$no_uart\"/" "$work/card.json" >"$work/card-no-uart.json"
mkdir -p "$work/setup-no-uart"
"$ctl" linux --card "$work/card-no-uart.json" --output "$work/setup-no-uart" >/dev/null ||
    fail "tr4410ctl linux failed for the card file without a UART at $no_uart"
parameter=$(cat "$work/setup/kernel-parameter.txt")
echo "kernel parameter: $parameter"
sed -n 's/^ExecStart=//p' "$work/setup/tr4410-serial.service" >"$work/unit-lines.txt"
# The unit and the script apply the same lines.
grep '^setserial ' "$work/setup/tr4410-setserial.sh" | sed 's|^|/bin/|' | diff - "$work/unit-lines.txt" ||
    fail "the systemd unit and the setserial script differ"
[ "$(wc -l <"$work/unit-lines.txt")" -eq 8 ] || fail "the unit does not set up eight ports"

# --- the initramfs -----------------------------------------------------------------------------
root=$work/root
vm_root "$root"
cp "$setserial" "$root/bin/setserial"
cp "$init" "$root/init"
# tr4410ctl with the port-I/O library and the helper where an install puts them.
mkdir -p "$root/usr/$libdir" "$root$libexecdir/tr4410-settings"
cp "$ctl" "$root/bin/tr4410ctl"
cp -L "$vanto32" "$root/usr/$libdir/libvanto32.so"
cp "$port_helper" "$root$libexecdir/tr4410-settings/tr4410-port-helper"
vm_libraries "$root" "$setserial" "$ctl" "$port_helper"
chmod 755 "$root/init" "$root/bin/"*
cp "$work/card.json" "$root/card.json"
cp "$work/card-com1.json" "$root/card-com1.json"
cp "$work/card-no-uart.json" "$root/card-no-uart.json"
sed -n 's/^ExecStart=//p' "$work/setup-no-uart/tr4410-serial.service" >"$root/setup-no-uart.txt"
cp "$work/unit-lines.txt" "$root/setup.txt"
: >"$root/ports.txt"
i=0
while read -r _ device _; do
    echo "${letters[$i]} $device" >>"$root/ports.txt"
    i=$((i + 1))
done <"$work/unit-lines.txt"
vm_pack "$root" "$work/initrd.gz"

# --- boot: eight ISA 16550s on one IRQ; QEMU takes a repeated index once iobase and irq are given --
uarts=()
for i in "${!letters[@]}"; do
    : >"$work/port${letters[$i]}.out"
    uarts+=(-chardev "file,id=port${letters[$i]},path=$work/port${letters[$i]}.out"
        -device "isa-serial,index=$((i % 4)),iobase=${addresses[$i]},irq=$irq,chardev=port${letters[$i]}")
done
console=$work/console.log
status=0
# pnpacpi=off: the kernel takes only the standard COM ports for itself, as a PC/104 board's BIOS
# announces them; the card's eight are set up by the unit's lines.
vm_boot "$console" 150 "" "$qemu" -m 512 -nographic -no-reboot -monitor none \
    -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 $parameter panic=-1 quiet loglevel=3 pnpacpi=off" \
    -serial stdio "${uarts[@]}" || status=$?
vm_log "$console" "$status"

# --- verdict -----------------------------------------------------------------------------------
check "the kernel ran with $parameter" 'grep -q "^VMTEST cmdline .*$parameter" <<<"$log"'
check "every setserial line was applied" '[ "$(grep -c "^VMTEST applied " <<<"$log")" -eq 8 ] && ! grep -q "^VMTEST failed " <<<"$log"'
i=0
while read -r letter device; do
    address=${addresses[$i]}
    check "port $letter is $device at $address, IRQ $irq, 16550A" \
        'grep -Eq "^VMTEST setserial $letter $device, UART: 16550A, Port: 0x0*${address#0x}, IRQ: $irq\$" <<<"$log"'
    got=$(tr -d '\r' <"$work/port$letter.out")
    check "the line written to $device arrived in port $letter's capture file alone" \
        '[ "$got" = "TR-4410 port $letter on $device" ]'
    i=$((i + 1))
done <"$root/ports.txt"
# The lines went out on the shared interrupt, not by polling: IRQ 5 counted while they were written.
count() { sed -n "s/^VMTEST interrupts $1 *$irq: *\([0-9]*\) .*/\1/p" <<<"$log"; }
before=$(count before) after=$(count after)
check "IRQ $irq counted the writes' interrupts (${before:-?} before, ${after:-?} after)" \
    '[ -n "$before" ] && [ -n "$after" ] && [ "$after" -gt "$before" ]'
if grep -q "^VMTEST write timed out" <<<"$log"; then
    echo "Writes that never finished (their transmit interrupt did not come):"
    grep "^VMTEST write timed out" <<<"$log"
    grep "^VMTEST interrupts" <<<"$log" || true
fi

# tr4410ctl check before the set-up, and test after it.
check "check: port A at 0x3F8 overlaps the board's COM1 (exit 6)" \
    'run check-com1 | grep -qx "problem: port A at 0x3F8 overlaps ttyS0, the board.s own serial port, IRQ 4: turn COM1 off in the firmware set-up or choose another address" && run check-com1 | grep -qx "exit 6"'
check "check: the good card file passes (exit 0)" 'run check-good | grep -qx "exit 0"'
check "test: all eight ports pass (exit 0)" \
    '[ "$(run test-good | grep -Ec "^[A-H] .* pass$")" -eq 8 ] && run test-good | grep -qx "exit 0"'
took=$(run test-good | sed -n "s/^Tested in \([0-9]*\) ms\.$/\1/p")
check "test: the eight ports took under 2 s (${took:-?} ms)" '[ -n "$took" ] && [ "$took" -lt 2000 ]'
counted=$(run test-good | sed -n "s/^IRQ $irq counted \([0-9]*\) interrupts.*/\1/p")
check "test: IRQ $irq counted during the test (${counted:-?} interrupts)" '[ "${counted:-0}" -gt 0 ]'
check "test: port H at $no_uart fails with its address in the reason, the others pass (exit 7)" \
    'run test-no-uart | grep -Eq "^H .*FAIL: .*$no_uart" && [ "$(run test-no-uart | grep -Ec "^[A-G] .* pass$")" -eq 7 ] && run test-no-uart | grep -qx "exit 7"'
if [ "$errors" -ne 0 ]; then
    grep -E "^VMTEST (check|test)" <<<"$log" || true
fi
[ "$errors" -eq 0 ] || fail "$errors check(s) failed"
echo "all serial VM checks passed"
