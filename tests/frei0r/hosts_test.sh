#!/usr/bin/env bash
# The plug-in in ffmpeg and in melt gives the bytes of `orvane render` with the same settings: stills
# over every mode, every channel choice and three mixes, a lossless (FFV1) video, and melt renders.
# Usage: hosts_test.sh PLUGIN_DIR ORVANE WORK_DIR
set -euo pipefail
export FREI0R_PATH="$(realpath "$1")"
orvane="$(realpath "$2")" data="$(cd "$(dirname "$0")/../data" && pwd)" fail=0
mkdir -p "$3" && cd "$3"
ffmpeg -v error -y -i "$data/coffee.png" -vf scale=160:104 in.png
rgba() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt "${2:-rgba}" -; }
same() { cmp -s <(rgba "$1") <(rgba "$2") || { echo "differs from orvane render: $3"; fail=1; }; }
render() { "$orvane" render --set Brightness=14 --set Contrast=-43 --set Center=48,41.6 --set Color=77,128,51 \
    --set "Range Start=12.5" --set "Range End=62.5" --set "Angle Start=63" --set "Angle End=126" --set Stretch=20 "$@"; }
filter() { echo "frei0r=filter_name=orvane_brightness_contrast:filter_params=0.57|0.285|$1|0.3/0.4|0.3/0.5/0.2|0.1|0.5|0.175|0.35|$2|0.6"; }
modes=(All luma RED Green Blue alpha Saturation hue Lightness "rgb diff" Point Rectangle Edge Angle)
channels=(RGB red Green blue "Red and Green" "red and blue" 7 Difference 9)
mixes=(0 0.145 0.57) mixed=(0 14.5 57) blends=(0 0.29) blended=(0 14.5)
for i in {0..13}; do
    ch=$((i % 9)) mix=$((i % 3)) blend=$((i % 2)) rev=$((i / 7))
    f=$(filter "${channels[ch]}|${mixes[mix]}|${modes[i]}" "$([ $rev = 1 ] && echo y || echo n)|${blends[blend]}")
    ffmpeg -v error -y -i in.png -vf "$f" -pix_fmt rgba ffmpeg.png
    render --set Channels=$((ch + 1)) --set "Mix with Original=${mixed[mix]}" --set "Choose Pixels by=$((i + 1))" \
        --set "Reverse Range=$rev" --set Blend=${blended[blend]} in.png orvane.png
    same ffmpeg.png orvane.png "$f"
done

ffmpeg -v error -y -f lavfi -i testsrc2=s=160x104:r=25:d=0.12 -pix_fmt bgra -c:v ffv1 in.mkv
ffmpeg -v error -y -i in.mkv -vf "$(filter "Difference|0.5|Hue " "n|0.2")" -pix_fmt bgra -c:v ffv1 ffmpeg.mkv
rgba in.mkv argb >in.argb
render --raw 160x104 --set Channels=8 --set "Mix with Original=50" --set "Choose Pixels by=8" --set Blend=10 in.argb orvane.argb
cmp -s <(rgba ffmpeg.mkv argb) orvane.argb || { echo "differs from orvane render: FFV1 video"; fail=1; }

# MLT passes no frei0r positions: its point modes use the middle of the frame.
melt_rows=("Channels=Red;Mix with Original=0.145;Choose Pixels by=Luma;Blend=0.1;Reverse Range=1"
           "Channels=8;Choose Pixels by=point;Color=0x4d8033ff" "Channels=alpha;Choose Pixels by=14")
orvane_rows=("Channels=2;Mix with Original=14.5;Choose Pixels by=2;Blend=5;Reverse Range=1"
             "Channels=8;Choose Pixels by=11;Center=80,52" "Channels=9;Choose Pixels by=14;Center=80,52")
for r in 0 1 2; do
    IFS=';' read -ra m <<<"${melt_rows[r]}"
    IFS=';' read -ra o <<<"${orvane_rows[r]}"
    melt -silent avformat:in.png out=0 -filter frei0r.orvane_brightness_contrast Brightness=0.57 Contrast=0.285 \
        "Range Start=0.1" "Range End=0.5" "Angle Start=0.175" "Angle End=0.35" Stretch=0.6 "${m[@]}" \
        -consumer avformat:melt.png vcodec=png pix_fmt=rgba update=1 2>/dev/null
    render "${o[@]/#/--set=}" in.png orvane.png
    same melt.png orvane.png "melt ${melt_rows[r]}"
done
[ $fail = 0 ] && echo "frei0r in ffmpeg and melt: 18 passed, 0 failed"
exit $fail
