#!/usr/bin/env bash
# Regenerates the 23 voice clips in resources/clips/ from espeak-ng's Mandarin voice.
# Each clip: one word, leading and trailing silence trimmed, PCM mono 22050 Hz 16-bit.
# The output is committed; run this only to change the recordings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/resources/clips"

for p in espeak-ng sox python3; do
    command -v "$p" >/dev/null || { apt-get update -qq && apt-get install -y -qq espeak-ng sox python3; break; }
done

# Index: word. 0-9 digits, 10 "ten", then the phrase words.
words=(零 一 二 三 四 五 六 七 八 九 十 北 京 间 点 整 半 秒 还 剩 分 钟 叮)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"
for i in "${!words[@]}"; do
    espeak-ng -v cmn -s 150 -w "$tmp/raw$i.wav" "${words[$i]}"
    # Trim silence at both ends (reverse trick), then force the stored format.
    sox "$tmp/raw$i.wav" -r 22050 -c 1 -b 16 -e signed-integer -t raw "$tmp/pcm$i.raw" \
        silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse
done
python3 "$root/scripts/wavwrite.py" "$tmp" "$out" "${#words[@]}"
