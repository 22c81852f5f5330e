#!/bin/busybox sh
# /init of the test VM. The port helper is installed as the package installs it: root:tr4410
# (group 1001), mode 0750, cap_sys_rawio+ep, and its write lock made as the package's tmpfiles.d
# entry makes it. User 1000 is a member of tr4410, user 1002 is not.
# Everything that reaches port 0x302, the data register of a card at 0x300, is recorded by the VM.
. /init-common.sh
echo "VMTEST boot"
helper=$(cat /helper-path)
chown 0:1001 "$helper"
chmod 0750 "$helper"
/bin/vm_helper setcap "$helper" || echo "VMTEST could not give the helper its capability"
member=1000:1001
outsider=1002

# Before the write lock exists, a write is refused, and the answer says why.
printf 'W 301 1\n' | /bin/vm_helper as $member "$helper" | sed 's/^/NOLOCK /'
write_lock && chown 0:1001 /run/tr4410 /run/tr4410/write.lock
chmod 0750 /run/tr4410 && chmod 0640 /run/tr4410/write.lock

/bin/port_probe ROOT || echo "VMTEST probe failed as root"
/bin/vm_helper as $member /bin/port_probe MEMBER || echo "VMTEST probe failed as a member"
/bin/vm_helper as $outsider /bin/port_probe OUTSIDER || echo "VMTEST probe failed as an outsider"

# A client of one's own, talking to the helper directly: refused requests (port A at 0x070, IRQ
# 14), then ones that pass.
printf 'W 21 FF\nW F1 1\nW F2 58\nR 21\nW 301 1\nW 302 E\nW 301 9\nW 302 E\nW 301 A\nW 302 48\nW 302 A\n' >/tmp/requests
/bin/vm_helper as $member "$helper" </tmp/requests | sed 's/^/HAND /'
# An index write, then a pause past the lock's idle time, then a data write that would put IRQ 14
# into whatever register another helper selected meanwhile: refused.
{ printf 'W 301 9\n' && sleep 0.7 && printf 'W 302 E\n'; } | /bin/vm_helper as $member "$helper" | sed 's/^/STALE /'

# Two clients at once: the second is refused while the first one's sequence runs.
/bin/vm_helper as $member /bin/port_probe LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL &
sleep 0.2
/bin/vm_helper as $member /bin/port_probe SECOND
wait
sleep 0.6

# The main window as a member, with no capability on it: a whole write, then one whose helper
# is killed halfway.
export QT_QPA_PLATFORM=offscreen HOME=/tmp XDG_RUNTIME_DIR=/tmp
/bin/vm_helper as $member /bin/window_probe WRITE 2>/dev/null || echo "VMTEST window failed"
sleep 0.6
/bin/vm_helper as $member /bin/window_probe KILL 2>/dev/null || echo "VMTEST window failed"
# Two helpers one after the other, a single write each, to a UART at 0x311 (the index register of
# base 0x310). From the first byte on, root asks the second helper, which is up already, every
# half millisecond (BUSY until the first helper has ended); QEMU's trace times the bytes.
sleep 0.6
/bin/vm_helper trigger 311 'W 311 2' 3>&1 >/tmp/trigger | /bin/vm_helper as $member "$helper" >/dev/null &
while ! grep -q "ready" /tmp/trigger 2>/dev/null; do sleep 0.05; done
printf 'W 311 1\n' >/tmp/first
/bin/vm_helper as $member "$helper" </tmp/first >/dev/null
wait

/bin/vm_helper getcap /bin/window_probe
/bin/vm_helper getcap /bin/port_probe
/bin/vm_helper getcap "$helper"
echo "VMTEST done"
sync
poweroff -f
