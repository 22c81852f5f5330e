#!/usr/bin/env bash
# The bash completion as a user meets it: what <Tab> offers after each command line below.
set -uo pipefail
completion=$1 ctl=$2
# shellcheck source=/dev/null
source "$completion" || exit 1
help=$("$ctl" --help) || exit 1
status=0
tmp=$(mktemp -d) && cd "$tmp" || exit 1
trap 'rm -rf "$tmp"' EXIT
mkdir cards.d && touch card.json notes.txt

# The words typed so far (the last one being completed) | what is offered, sorted.
while IFS='|' read -r line expected; do
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _tr4410ctl
    offered=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $offered != "$expected" ]]; then
        echo "FAIL: '$line<Tab>' offers '$offered', expected '$expected'"
        status=1
    fi
done <<'CASES'
tr4410ctl |apply check linux plan test write
tr4410ctl --irq 5 |apply check linux plan test write
tr4410ctl write |
tr4410ctl --clock = X8 li|linux
tr4410ctl write --d|--df --dry-run
tr4410ctl plan --d|--df
tr4410ctl --card card.json test --e|--external
tr4410ctl plan --j|
tr4410ctl check --protocol RS-4|RS-422 RS-485
tr4410ctl test --irq 1|10 11 12 15
tr4410ctl check --clock = |X1 X8
tr4410ctl check --card |card.json cards.d
tr4410ctl linux --output |cards.d
tr4410ctl plan --sheet n|notes.txt
tr4410ctl write --port |
CASES

# Every option the program's help lists is offered for some command.
all=$(for c in plan check write linux test; do
    COMP_WORDS=(tr4410ctl "$c" --) COMP_CWORD=2 && _tr4410ctl && printf '%s\n' "${COMPREPLY[@]}"
done | sort -u)
while read -r option; do
    grep -qx -- "$option" <<<"$all" || { echo "FAIL: $option is not completed"; status=1; }
done < <(grep -o -- '--[a-z0-9-]*' <<<"$help" | sort -u)
exit $status
