#!/usr/bin/env bash
# ffmpeg and melt with the plug-in give the bytes of `orvane render`: stills over every mode, channel and three mixes
# (three in melt, whose Center is the middle) and a lossless video. ffmpeg has -nostdin (else it reads keys from the
# shared input), melt real_time=0 (else it may drop a late frame). Usage: hosts_test.sh PLUGIN_DIR ORVANE WORK_DIR
set -euo pipefail
export FREI0R_PATH="$(realpath "$1")" orvane="$(realpath "$2")" data="$(cd "$(dirname "$0")/../data" && pwd)" fail=0
ff() { ffmpeg -nostdin -v error "$@"; }
mkdir -p "$3" && cd "$(mktemp -d "$(realpath "$3")/run.XXXXXX")" && ff -i "$data/coffee.png" -vf scale=160:104 in.png
rgba() { ff -i "$1" -f rawvideo -pix_fmt rgba -; }
same() { cmp -s <(rgba "$1") <(rgba "$2") || { echo "differs from orvane render: $3 ($PWD)"; fail=1; }; }
render() { "$orvane" render --set Brightness=14 --set Contrast=-43 --set Color=77,128,51 --set "Range Start=12.5" \
    --set "Range End=62.5" --set "Angle Start=63" --set "Angle End=126" --set Stretch=20 "$@"; }
filter() { echo "frei0r=filter_name=orvane_brightness_contrast:filter_params=0.57|0.285|$1|0.3/0.5/0.2|0.1|0.5|0.175|0.35|$2|0.6"; }
modes=(All luma RED Green Blue alpha Saturation hue Lightness "rgb diff" Point Rectangle Edge Angle)
channels=(RGB red Green blue "Red and Green" "red and blue" 7 Difference 9)
mixes=(0 0.145 0.57) mixed=(0 14.5 57) blends=(0 0.29) blended=(0 14.5) centers=(0.3/0.4 0.5/0.5) pixels=(48,41.6 80,52)
for i in {0..13}; do
    ch=$((i % 9)) mix=$((i % 3)) blend=$((i % 2)) rev=$((i / 7)) melt=$((i == 1 || i == 10 || i == 13))
    f=$(filter "${channels[ch]}|${mixes[mix]}|${modes[i]}|${centers[melt]}" "$([ $rev = 1 ] && echo y || echo n)|${blends[blend]}")
    ff -i in.png -vf "$f" -pix_fmt rgba ffmpeg$i.png
    render --set Channels=$((ch + 1)) --set "Mix with Original=${mixed[mix]}" --set "Choose Pixels by=$((i + 1))" \
        --set "Reverse Range=$rev" --set Blend=${blended[blend]} --set Center=${pixels[melt]} in.png orvane$i.png
    same ffmpeg$i.png orvane$i.png "$f"
    [ $melt = 1 ] || continue
    melt -silent avformat:in.png out=0 -filter frei0r.orvane_brightness_contrast Brightness=0.57 Contrast=0.285 "Range Start=0.1" \
        "Channels=${channels[ch]}" "Mix with Original=${mixes[mix]}" "Choose Pixels by=${modes[i]}" "Range End=0.5" Stretch=0.6 \
        Color=0x4d8033ff "Angle Start=0.175" "Angle End=0.35" "Reverse Range=$rev" "Blend=${blends[blend]}" 2>/dev/null \
        -consumer avformat:melt$i.png vcodec=png pix_fmt=rgba update=1 real_time=0
    same melt$i.png orvane$i.png "melt ${modes[i]}"
done

ff -f lavfi -i testsrc2=s=160x104:r=25:d=0.12 -pix_fmt bgra -c:v ffv1 in.mkv
ff -i in.mkv -vf "$(filter "Difference|0.5|Hue |0.3/0.4" "n|0.2")" -pix_fmt bgra -c:v ffv1 ffmpeg.mkv
render --set Channels=8 --set "Mix with Original=50" --set "Choose Pixels by=8" --set Blend=10 --set Center=48,41.6 \
    --codec ffv1 in.mkv orvane.mkv
same ffmpeg.mkv orvane.mkv "FFV1 video"
[ $fail = 0 ] && rm -r "$PWD" && echo "frei0r in ffmpeg and melt: 18 passed, 0 failed"  # else exits 1
