#!/usr/bin/env bash
# The bash completion offers what the program's own help says: commands, options, model ids
# and option values, counting the words that options take.
#   completion_test.sh path/to/hubquill-cli path/to/hubquill-cli.bash
set -u
cli=$1
source "$2"
hubquill-cli() { "$cli" "$@"; }

failures=0
offers() {
    local wanted=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _hubquill_cli
    if [[ " ${COMPREPLY[*]} " != *" $wanted "* ]]; then
        echo "FAIL: '$*' offers '${COMPREPLY[*]}', not '$wanted'"
        failures=1
    fi
}

offers decode hubquill-cli de
offers --strict hubquill-cli decode --st
offers qh203-36 hubquill-cli decode -m qh20
offers srec hubquill-cli encode --format ""
offers qh107 hubquill-cli describe qh1
# -m takes qh404, so "in.bin" is A and B comes next: a file name.
offers "$(dirname "$0")/completion_test.sh" hubquill-cli diff -m qh404 in.bin "$(dirname "$0")/completion_t"
exit $failures
