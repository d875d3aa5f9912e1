#!/usr/bin/env bash
# The pattern matcher through regex-probe: the annotation patterns at work on
# a few drawing texts, and what an ill-formed pattern reports.
set -euo pipefail
build=${1:?build dir}
probe="$build/tools/regex-probe/regex-probe"
[ -x "$probe" ] || { echo "(pattern: regex-probe not built)"; exit 0; }
echo "== pattern matcher: regex-probe answers OP<TAB>FLAGS<TAB>PATTERN<TAB>SUBJECT[<TAB>LIMIT]"
while IFS= read -r request; do
  printf '> %s\n  %s\n' "$request" "$(printf '%s\n' "$request" | "$probe")"
done <<'REQUESTS'
match	0	(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?))	2%%13225+2%%13222
split	0	[;,]	2%%13225;4%%13222
count	0	[/\\+]	2%%13225+2%%13222/2%%13220
match	130	((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)(/([1234]?[0-9](\\.[0-9])?))?[\\@\\-]([0-9]+)(/([0-9]+))?(\\(([0-9]+)\\))?[;,/]?	%%13010@100/200(4)
match	0	^G(([0-9]+)(.[0-9]))[\\-=](([0-9]+)(.[0-9]))$	G1.5-1.0
match	0	^G(([0-9]+)(.[0-9]))[\\-=](([0-9]+)(.[0-9]))$	G1.5-1.0 
match	0	([0-9]+)[\\-=]([0-9]+)[\\-=]([0-9]+)	KL1 12-8-12 x
split	0	[;,]	a;b,,c;;	-1
match	0	a{2,1}	aaa
match	0	(?(1)a|b|c)	a
REQUESTS
