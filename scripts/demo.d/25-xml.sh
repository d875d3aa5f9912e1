#!/usr/bin/env bash
# The XML reader as the rebar plug-in's settings file meets it: what the
# reader makes of a good settings file and of a few broken ones.
set -euo pipefail
build=${1:?build dir}
probe="$build/tools/xml-probe/xml-probe"
[ -x "$probe" ] || { echo "xml-probe not built; skipping the XML reader demo"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

show() {
  printf '%s' "$2" > "$work/$1"
  echo "--- $1: $2" | tr '\n' ' '
  echo
  "$probe" "$work/$1"
}

echo "== XML reader: xml-probe FILE prints ok/fail, the message, then DEPTH NAME TEXT per element"
show KVBarwisp.xml '<?xml version="1.0" encoding="GBK"?>
<rsbarea>
  <spacingofstirrup>150</spacingofstirrup>
  <lsbunderarea>1</lsbunderarea>
</rsbarea>
'
show references.xml '<a>x &lt; y &#65; &#x4E2D; <![CDATA[<raw>]]></a>'
show mismatch.xml '<rsbarea><spacingofstirrup>150</rsbarea>'
show unclosed.xml '<rsbarea><lsbunderarea>1</lsbunderarea>'
show empty.xml ''
"$probe" "$work/missing.xml"
