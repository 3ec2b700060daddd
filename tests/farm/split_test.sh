#!/usr/bin/env bash
# A 100-frame sequence rendered in 4 chunks, by GNU parallel or a Slurm job array
# (examples/slurm; Slurm started with scripts/slurm-local), equals one run byte for byte.
# Usage: split_test.sh ORVANE parallel|slurm
set -euo pipefail
orvane=$(realpath "$1") dir=$(mktemp -d "$PWD/farm-XXXXXX")
trap 'rm -rf "$dir"' EXIT
ffmpeg -v error -f lavfi -i testsrc2=s=192x108:r=25:d=4 -start_number 1 "$dir/in.%04d.png"
"$orvane" render --set Contrast=30 "$dir/in.####.png" "$dir/one.####.png"
if [ "$2" = parallel ]; then
    parallel --halt now,fail=1 "$orvane" render --set Contrast=30 --frames {} "$dir/in.####.png" "$dir/split.####.png" ::: 1-25 26-50 51-75 76-100
else
    ORVANE=$orvane timeout 300 sbatch --wait --quiet --array=0-3 -o "$dir/%a.log" examples/slurm/orvane-array.sbatch 1 100 "$dir/in.####.png" "$dir/split.####.png" --set Contrast=30
fi
[ "$(ls "$dir" | grep -c '^split\.[0-9]*\.png$')" = 100 ]
for f in "$dir"/one.*.png; do cmp "$f" "${f/one./split.}"; done
