#!/usr/bin/env bash
# Refreshes the chart library inlined into design reports: the minified
# builds and licences of Vega, Vega-Lite and vega-embed at the pinned
# versions, from the npm registry. Run by hand when the versions change.
set -euo pipefail
cd "$(dirname "$0")/.."
versions=(vega@6.4.0 vega-lite@6.5.0 vega-embed@7.3.0)
out=third_party/vega
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "${versions[@]}" >/dev/null)
for v in "${versions[@]}"; do
  name=${v%@*}
  mkdir -p "$work/$name"
  tar -xzf "$work/$name-${v#*@}.tgz" -C "$work/$name"
  cp "$work/$name/package/build/$name.min.js" "$work/$name.min.js"
  cp "$work/$name/package/LICENSE" "$out/LICENSE-$name"
done
# The three builds travel as one archive; the build unpacks it.
tar -czf "$out/vega-builds.tar.gz" -C "$work" --owner=0 --group=0 --mtime='2026-01-01' \
  vega.min.js vega-lite.min.js vega-embed.min.js
