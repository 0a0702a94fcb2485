#!/usr/bin/env bash
# The layering check on a copy of the sources: it passes on the tree as it is, and fails, naming
# the file and line, once a lower layer includes from a higher one or a portable file includes
# the Windows headers.
#
#   layers.sh SOURCE_ROOT
set -u
root=$1
check="$root/scripts/check-layers.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-layers.XXXXXX")
trap 'rm -rf "$work"' EXIT

test_name=layers
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

out=$(bash "$check" "$root") || fail "the tree itself: $out"

# expect_violation FILE LINE_TEXT EXPECTED: adds LINE_TEXT at the top of FILE in a fresh copy.
expect_violation() {
    rm -rf "$work/copy"
    mkdir -p "$work/copy"
    cp -r "$root/src" "$root/tools" "$work/copy/"
    { echo "$2"; cat "$work/copy/$1"; } >"$work/copy/$1.new" && mv "$work/copy/$1.new" "$work/copy/$1"
    local got
    got=$(bash "$check" "$work/copy")
    [ $? = 1 ] || fail "$1: no failure for [$2]: $got"
    case $got in
    *"$3"*) ;;
    *) fail "$1: [$got] does not say [$3]" ;;
    esac
}

expect_violation src/base/lstring.h '#include "core/file_index.h"' \
    'src/base/lstring.h:1: base includes from core, a later layer'
expect_violation src/launch/launch.cpp '#include "jvm/jvm_actions.h"' \
    'src/launch/launch.cpp:1: launch includes from jvm, a later layer'
expect_violation tools/wizpack.cpp '#include "core/file_index.h"' \
    'tools/wizpack.cpp:1: tools includes from core, a later layer'
expect_violation src/services/log.cpp '#include <windows.h>' \
    'src/services/log.cpp:1: only Windows backends include the Windows headers'
passed
