#!/usr/bin/env bash
# The output contract of xml-probe, which other programs parse.
set -euo pipefail
probe=${1:?xml-probe path}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # expect NAME INPUT EXPECTED   (INPUT and EXPECTED as printf formats)
  printf "$2" > "$work/$1"
  printf "$3" > "$work/$1.expected"
  "$probe" "$work/$1" > "$work/$1.out"
  if ! cmp -s "$work/$1.out" "$work/$1.expected"; then
    echo "FAIL $1"; diff "$work/$1.expected" "$work/$1.out" || true
    failures=$((failures + 1))
  fi
}

expect good.xml '<r>\n <a>x\ty\\z</a>\n <b><c>\xd6\xd0\x01&#127;</c></b><d/>\n</r>' \
  'ok\t51 bytes\n0\tr\t\n1\ta\tx\\ty\\\\z\n1\tb\t\n2\tc\t\\xd6\\xd0\\x01\\x7f\n1\td\t\n'
expect lines.xml '<r>a\r\nb</r>' 'ok\t11 bytes\n0\tr\ta\\r\\nb\n'
expect gbk-name.xml '<\xd6\xd0>1</\xd6\xd0>' 'ok\t10 bytes\n0\t\xd6\xd0\t1\n'
expect siblings.xml '<r><a/>' 'fail\t7 bytes, Root element has sibling\n0\tr\t\n0\ta\t\n'
expect empty.xml '' 'fail\t0 bytes, Empty document\n'

"$probe" "$work/missing.xml" > "$work/missing.out"
if [ "$(cat "$work/missing.out")" != "$(printf 'fail\tNo such file or directory')" ]; then
  echo "FAIL missing.xml"; cat "$work/missing.out"; failures=$((failures + 1))
fi
exit $((failures > 0))
