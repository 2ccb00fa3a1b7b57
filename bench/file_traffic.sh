#!/bin/bash
# The file traffic of one conversion of the 10 MB article with no work done on the bytes: the
# streamed parts of the MIF tree (60 MB) written and read, the MIF file the host imports (67 MB)
# written (it is checked as it is written) and copied within the system into the saved document
# (67 MB). (The MLP between the stages is held in memory.) Prints the seconds it takes: a floor
# under the time of a conversion that keeps these files. Usage: bench/file_traffic.sh [DIRECTORY]
set -euo pipefail
dir=$(mktemp -d "${1:-/tmp}/pendra-traffic.XXXXXX")
trap 'rm -rf "$dir"' EXIT
block=64K
start=$(date +%s.%N)
dd if=/dev/zero of="$dir/parts" bs=$block count=960 status=none
cat "$dir/parts" >/dev/null
dd if=/dev/zero of="$dir/mif" bs=$block count=1072 status=none
cp "$dir/mif" "$dir/saved"
rm -f "$dir/parts" "$dir/mif"
end=$(date +%s.%N)
awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
