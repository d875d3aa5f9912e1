#!/usr/bin/env bash
# Installs the Debian packages the build needs, or, when not root, prints the
# one apt-get line that would install what is missing and fails.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev libreadline-dev libdxflib-dev libboost-dev python3-ezdxf perl librecad-data
  libboost-regex-dev libpcre2-dev libre2-dev
  libpugixml-dev libtinyxml2-dev libexpat1-dev
  chromium chromium-driver python3-selenium fonts-wqy-zenhei
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
line="apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages; run as root: $line" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
