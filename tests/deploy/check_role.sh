#!/usr/bin/env bash
# The example playbook and its role as an administrator runs them, on hosts that are this machine
# by the local connection: the build tree's tr4410ctl with the test double of the port library
# and the fixture system, each host's every path in a temporary folder of its own, nothing sent
# over the network. usage: check_role.sh SOURCE_DIR TR4410CTL FAKE_PORTS_DIR
set -euo pipefail
src=$1 ctl=$2 fake=$3
for program in /usr/bin/ansible-playbook /usr/bin/ansible-lint; do
    [ -x "$program" ] || { echo "SKIP: $program is not installed (ansible-core, ansible-lint)"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d /tmp/tr4410-role.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp"/{fresh,checked,bad_address,busy_irq,written,stack}/tmp "$tmp/home" "$tmp/fresh/etc/tr4410"
mkdir -p -m 0700 "$tmp/fresh/etc/systemd/system" # an admin's private folder stays private
echo '{"version": 1}' >"$tmp/fresh/etc/tr4410/card.json" # where the role put a single card before
touch "$tmp/stack/fail-enable"                             # enabling the unit fails once
# systemctl over a host's folder: the unit loaded, enabled and active are files there.
cat >"$tmp/systemctl" <<'FAKE'
#!/bin/sh
root=$1 unit=$1/etc/systemd/system/tr4410-serial.service
case $2 in
daemon-reload) cp "$unit" "$root/loaded" ;;
enable) if [ -e "$root/fail-enable" ]; then rm "$root/fail-enable"; echo "enable failed" >&2; exit 1; fi
    touch "$root/enabled" ;;
restart) touch "$root/active" ;;
show) [ -e "$root/loaded" ] && echo LoadState=loaded || echo LoadState=not-found
    cmp -s "$unit" "$root/loaded" && echo NeedDaemonReload=no || echo NeedDaemonReload=yes
    [ -e "$root/enabled" ] && echo UnitFileState=enabled || echo UnitFileState=disabled
    [ -e "$root/active" ] && echo ActiveState=active || echo ActiveState=inactive ;;
esac
FAKE
# tr4410ctl whose test finds the ports held open by an application, as on a machine at work.
cat >"$tmp/busy-ctl" <<BUSY
#!/bin/sh
[ "\$1" = test ] || exec "$ctl" "\$@"
echo '{"ports": [{"port": "A", "address": "0x100", "busy": true, "passed": false, "reason": "busy"}], "passed": false}'
exit 7
BUSY
chmod 755 "$tmp/systemctl" "$tmp/busy-ctl"
printf '[defaults]\nnocows = true\nretry_files_enabled = false\ngathering = explicit\n' >"$tmp/ansible.cfg"
export ANSIBLE_CONFIG=$tmp/ansible.cfg HOME=$tmp/home XDG_CACHE_HOME=$tmp/cache ANSIBLE_HOME=$tmp/home/.ansible
export ANSIBLE_REMOTE_TEMP=$tmp/home/remote

# The card of the example's group_vars for fresh and checked; a card file for each refusal.
printf '{"version": 1, "ports": {"A": "0x100", "B": "0x108", "C": "0x2F9"}, "irq": 10}\n' >"$tmp/bad_address.json"
sed 's/"0x2F9"/"0x110", "D": "0x118", "E": "0x120", "F": "0x128", "G": "0x130", "H": "0x138"/;
     s/"irq": 10/"irq": 7/' "$tmp/bad_address.json" >"$tmp/busy_irq.json"
sed 's/"irq": 7/"irq": 10/' "$tmp/busy_irq.json" >"$tmp/low.json"
root='{{ inventory_dir }}/{{ inventory_hostname }}'
cat >"$tmp/hosts.yml" <<HOSTS
tr4410_stacks:
  hosts:
    fresh:
    checked: # no port access: the Linux set-up goes ahead all the same
      tr4410_environment: {LD_LIBRARY_PATH: "$fake", TR4410_SYSTEM_ROOT: "$src/tests/fixtures/system",
                           FAKE_VANTO32_IN_VALUE: AA55}
    bad_address: {tr4410_card: {}, tr4410_card_file: "$tmp/bad_address.json"}
    busy_irq: {tr4410_card: {}, tr4410_card_file: "$tmp/busy_irq.json"}
    stack:
      tr4410_card: {}
      tr4410_cards:
        - {name: low, file: "$tmp/low.json"}
        - name: high
          card: {controlBase: "0x280", irq: 11, ports: {A: "0x180", B: "0x188", C: "0x190", D: "0x198",
                                                           E: "0x1A0", F: "0x1A8", G: "0x1B0", H: "0x1B8"}}
    written:
      tr4410_write_card: "true"
      tr4410_environment: {LD_LIBRARY_PATH: "$fake", TR4410_SYSTEM_ROOT: "$src/tests/fixtures/system",
                           FAKE_VANTO32_REPORT: "$tmp/written/report.txt"}
  vars:
    ansible_connection: local
    ansible_python_interpreter: /usr/bin/python3
    ansible_become: false
    tr4410_install_package: false
    tr4410_ctl_path: "$ctl"
    tr4410_environment: {LD_LIBRARY_PATH: "$fake", TR4410_SYSTEM_ROOT: "$src/tests/fixtures/system"}
    tr4410_staging_parent: "$root/tmp"
    tr4410_card_path: "$root/etc/tr4410/card.json"
    tr4410_unit_path: "$root/etc/systemd/system/tr4410-serial.service"
    tr4410_script_path: "$root/usr/local/sbin/tr4410-setserial.sh"
    tr4410_grub_dropin_path: "$root/etc/default/grub.d/tr4410.cfg"
    tr4410_reboot_marker: "$root/run/tr4410-reboot-required"
    tr4410_cards_dir: "$root/etc/tr4410/cards.d"
    tr4410_test_marker: "$root/var/lib/tr4410/test-due"
    tr4410_grub_cfg_path: "$root/boot/grub/grub.cfg"
    tr4410_unit_state_command: ["$tmp/systemctl", "$root", show]
    tr4410_daemon_reload_command: ["$tmp/systemctl", "$root", daemon-reload]
    tr4410_enable_command: ["$tmp/systemctl", "$root", enable]
    tr4410_start_command: ["$tmp/systemctl", "$root", restart]
    tr4410_update_grub_command: [sh, -c, 'mkdir -p "\$0/boot/grub" && cp "\$0/etc/default/grub.d/tr4410.cfg" "\$0/boot/grub/grub.cfg"', "$root"]
HOSTS

play() { # LOG ARGUMENTS...
    local log=$1
    shift
    ANSIBLE_LOCAL_TEMP=$tmp/home/$log /usr/bin/ansible-playbook -i "$tmp/hosts.yml" \
        "$src/deploy/ansible/site.yml" "$@" >"$tmp/$log.log" 2>&1 || true
}
expect() { # LOG HOST RECAP TEXT: the host's line in the play recap, and a text in the output
    grep -Eq "^$2 +: .*$3" "$tmp/$1.log" && grep -Fq -- "$4" "$tmp/$1.log" ||
        { cat "$tmp/$1.log" >&2; fail "$1: $2 should end with '$3' and say '$4'"; }
}

listing() { (cd "$tmp/checked" && find . -printf '%p %s %m\n' | sort); }
before=$(listing)
play check --check --limit checked &
play first --limit '!checked'
wait
expect check checked 'changed=[1-9].* failed=0' 'A restart is required'
[ "$(listing)" = "$before" ] || fail "the check run changed the checked host's folder: $(listing)"
expect first fresh 'changed=[1-9].* failed=0' 'A restart is required'
expect first bad_address 'failed=1' 'card.json: \"ports.C\": 0x2F9 is not a multiple of 8; nothing has been done'
expect first busy_irq 'failed=1' 'problem: IRQ 7 is held by parport0 (/proc/interrupts)'
expect first written 'changed=[1-9].* failed=0' 'The card has been written: shut this machine down, remove the DF jumper'
# Two cards checked as one stack and put in place; the unit's enabling fails, and the next run
# (with one card of the two left) enables it and updates GRUB all the same.
expect first stack 'failed=1' 'enable failed'
[ -f "$tmp/stack/etc/tr4410/cards.d/ansible-low.json" ] && [ -f "$tmp/stack/etc/tr4410/cards.d/ansible-high.json" ] ||
    fail "the stack's two card files are not in cards.d"
play healed --limit stack -e '{"tr4410_cards": [{"name": "high", "card": {"controlBase": "0x280", "irq": 11,
    "ports": {"A": "0x180", "B": "0x188", "C": "0x190", "D": "0x198", "E": "0x1A0", "F": "0x1A8", "G": "0x1B0",
              "H": "0x1B8"}}}]}' &
play second --limit fresh
wait
expect healed stack 'changed=[1-9].* failed=0' 'A restart is required'
[ -f "$tmp/stack/enabled" ] && grep -q '8250.nr_uarts=' "$tmp/stack/boot/grub/grub.cfg" ||
    fail "the run after a failed step did not enable the unit and update GRUB"
[ "$(ls "$tmp/stack/etc/tr4410/cards.d")" = ansible-high.json ] || fail "the card no longer listed was left in cards.d"
[ "$(grep -c '^call W ' "$tmp/written/report.txt")" = 20 ] || fail "the card was not written with twenty port writes"
for file in etc/tr4410/cards.d/ansible-card.json etc/systemd/system/tr4410-serial.service \
    etc/default/grub.d/tr4410.cfg loaded enabled boot/grub/grub.cfg; do
    [ -f "$tmp/fresh/$file" ] || fail "the first run did not write $file"
done
[ ! -e "$tmp/fresh/etc/tr4410/card.json" ] || fail "the single card file of before was left beside cards.d"
[ -x "$tmp/fresh/usr/local/sbin/tr4410-setserial.sh" ] || fail "the set-up script is not executable"
[ "$(stat -c %a "$tmp/fresh/etc/systemd/system")" = 700 ] || fail "the role changed the mode of an existing folder"
[ -z "$(ls -A "$tmp/fresh/tmp")" ] || fail "the staging folder was left behind"
"$ctl" plan --card "$tmp/fresh/etc/tr4410/cards.d/ansible-card.json" >/dev/null || fail "tr4410ctl does not read the card file"

# Nothing changes the second time, and the restart is still due; once restarted, the port test
# runs and fails as the fixture's Linux has no serial lines at the card's addresses.
expect second fresh 'changed=0 .* failed=0' 'A restart is required'
rm "$tmp/fresh/run/tr4410-reboot-required" && touch "$tmp/fresh/active" # as the restart leaves it
play restarted --limit fresh
expect restarted fresh 'changed=0 .* failed=1' 'FAIL: Linux has no serial line at 0x100: apply the Linux set-up'
# Busy ports are reported, not failures; the test having run, its note goes.
play busy --limit fresh -e tr4410_ctl_path="$tmp/busy-ctl" -e tr4410_run_test=true
expect busy fresh 'changed=1 .* failed=0' 'Busy (held open by another program), not tested:'

(cd "$src/deploy/ansible" && /usr/bin/ansible-lint --offline --nocolor roles/tr4410 site.yml) >"$tmp/lint.log" 2>&1 ||
    { cat "$tmp/lint.log" >&2; fail "ansible-lint found problems"; }
echo "the role: first run, second run, check mode, two refusals, the write, a stack healed, the port test, busy ports and ansible-lint as expected"
