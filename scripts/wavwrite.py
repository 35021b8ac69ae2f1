"""Wraps raw 16-bit mono PCM (pcm<i>.raw) into RIFF/WAVE files WAV<i>.wav.
Clip 0 also carries a LIST/INFO chunk naming it "ling2"."""
import struct
import sys

src, dst, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
RATE = 22050


def chunk(tag, body):
    pad = b"\0" if len(body) % 2 else b""
    return tag + struct.pack("<I", len(body)) + body + pad


for i in range(count):
    pcm = open(f"{src}/pcm{i}.raw", "rb").read()
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + chunk(b"fmt ", fmt)
    if i == 0:
        body += chunk(b"LIST", b"INFO" + chunk(b"INAM", b"ling2\0"))
    body += chunk(b"data", pcm)
    with open(f"{dst}/WAV{i}.wav", "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)
    print(f"WAV{i}.wav {len(pcm)} bytes {len(pcm) / 2 / RATE:.2f} s")
