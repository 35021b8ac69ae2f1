#!/usr/bin/env bash
# Regenerates the 23 voice clips of each built-in voice from espeak-ng's Mandarin voice:
# resources/clips/ (the default voice) and resources/clips/female/ (its female variant).
#   bash scripts/make-clips.sh [default|female]    one voice; both without an argument
# Each clip: one word, silence trimmed at both ends (keeping the quiet tail of the word),
# 5 ms fades so no clip starts or stops on a click, peaks at -3 dBFS so none clips;
# PCM mono 22050 Hz 16-bit.
# The output is committed; run this only to change the recordings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}

for p in espeak-ng sox python3; do
    command -v "$p" >/dev/null || { apt-get update -qq && apt-get install -y -qq espeak-ng sox python3; break; }
done

# Index: word. 0-9 digits, 10 "ten", then the phrase words.
words=(零 一 二 三 四 五 六 七 八 九 十 北 京 间 点 整 半 秒 还 剩 分 钟 叮)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

make_voice() { # espeak-ng voice, output folder
    local voice=$1 out=$2 i
    mkdir -p "$out"
    for i in "${!words[@]}"; do
        espeak-ng -v "$voice" -s 150 -w "$tmp/raw$i.wav" "${words[$i]}"
        # Trim (reverse trick) at a low threshold so the word's fading end stays, fade,
        # then normalise last so the peak is set on what is kept. No dither: reproducible.
        # Two passes: the fade needs the trimmed length.
        sox -D "$tmp/raw$i.wav" -r 22050 -c 1 "$tmp/trim$i.wav" \
            silence 1 0.002 0.1% reverse silence 1 0.002 0.1% reverse
        sox -D "$tmp/trim$i.wav" -b 16 -e signed-integer -t raw "$tmp/pcm$i.raw" \
            fade t 0.005 -0 0.005 norm -3
    done
    python3 "$root/scripts/wavwrite.py" "$tmp" "$out" "${#words[@]}"
}

[[ $which == all || $which == default ]] && make_voice cmn "$root/resources/clips"
[[ $which == all || $which == female ]] && make_voice cmn+f2 "$root/resources/clips/female"
exit 0
