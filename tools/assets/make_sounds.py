#!/usr/bin/env python3
"""Synthesises the two built-in sounds as 16-bit mono PCM WAV files.

    make_sounds.py OUTDIR [PLOTDIR]

shot.wav (WAVE 151): a 0.3 s laser shot, a falling chirp of a band-limited
saw and a square with a touch of noise. charge.wav (WAVE 152, nothing plays
it): a 0.7 s rising charge-up tone. Both start and end on silence with short
fades, so playback never clicks. With PLOTDIR, a waveform and spectrogram PNG
of each sound is written there to look at.

Noise comes from our own linear congruential generator so the bytes are the
same on every run and every machine.
"""

import math
import os
import struct
import sys

RATE = 22050
PEAK = 0.8


class Lcg:
    def __init__(self, seed):
        self.state = seed

    def next_unit(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x3FFFFFFF - 1.0


def band_limited_saw(phase, harmonics):
    return sum(math.sin(phase * k) / k for k in range(1, harmonics + 1)) * (2 / math.pi)


def band_limited_square(phase, harmonics):
    return sum(math.sin(phase * k) / k for k in range(1, 2 * harmonics, 2)) * (4 / math.pi)


def fade(i, n, attack, release):
    """Raised-cosine fade-in over attack samples and fade-out over release."""
    g = 1.0
    if i < attack:
        g *= 0.5 - 0.5 * math.cos(math.pi * i / attack)
    if i > n - 1 - release:
        g *= 0.5 - 0.5 * math.cos(math.pi * (n - 1 - i) / release)
    return g


def shot():
    n = int(RATE * 0.3)
    noise = Lcg(151)
    phase = 0.0
    out = []
    for i in range(n):
        t = i / RATE
        freq = 300.0 + 1900.0 * math.exp(-t * 14.0) + 40.0 * math.sin(2 * math.pi * 55 * t)
        phase += 2 * math.pi * freq / RATE
        harmonics = max(1, min(12, int(RATE / 2 / freq)))
        tone = 0.6 * band_limited_saw(phase, harmonics) + 0.3 * band_limited_square(phase * 0.5, max(1, harmonics // 2))
        body = tone + 0.15 * noise.next_unit() * math.exp(-t * 30.0)
        env = math.exp(-t * 9.0)
        out.append(body * env * fade(i, n, int(RATE * 0.003), int(RATE * 0.02)))
    return normalise(out)


def charge():
    n = int(RATE * 0.7)
    phase = 0.0
    out = []
    for i in range(n):
        t = i / RATE
        freq = 180.0 + 900.0 * (t / 0.7) ** 1.6
        phase += 2 * math.pi * freq / RATE
        wobble = 1.0 + 0.3 * math.sin(2 * math.pi * (6.0 + 20.0 * t) * t)
        tone = math.sin(phase) + 0.35 * math.sin(2 * phase) * wobble + 0.2 * math.sin(3.01 * phase)
        env = min(1.0, t / 0.4)
        out.append(tone * env * fade(i, n, int(RATE * 0.01), int(RATE * 0.05)))
    return normalise(out)


def normalise(samples):
    peak = max(abs(s) for s in samples)
    return [s * PEAK / peak for s in samples]


def wav_bytes(samples):
    pcm = b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(pcm)) + pcm
    return b"RIFF" + struct.pack("<I", len(body)) + body


def plot(samples, path):
    """Waveform on top, a magnitude spectrogram (0 to 11 kHz) below."""
    import raster
    width, wave_h, gram_h = 600, 160, 200
    image = [[(0.05, 0.05, 0.08)] * width for _ in range(wave_h + gram_h)]
    per = len(samples) / width
    for x in range(width):
        chunk = samples[int(x * per):max(int(x * per) + 1, int((x + 1) * per))]
        lo, hi = min(chunk), max(chunk)
        for y in range(int((1 - hi) * wave_h / 2), int((1 - lo) * wave_h / 2) + 1):
            if 0 <= y < wave_h:
                image[y][x] = (0.4, 0.9, 0.5)
    frame = 256
    bins = 96
    for x in range(width):
        start = int(x * (len(samples) - frame) / width)
        window = [samples[start + k] * (0.5 - 0.5 * math.cos(2 * math.pi * k / frame)) for k in range(frame)]
        for b in range(bins):
            f = b * (frame // 2) / bins
            re = sum(w * math.cos(2 * math.pi * f * k / frame) for k, w in enumerate(window))
            im = sum(w * math.sin(2 * math.pi * f * k / frame) for k, w in enumerate(window))
            level = max(0.0, min(1.0, (20 * math.log10(math.hypot(re, im) + 1e-9) + 40) / 70))
            y0 = wave_h + gram_h - 1 - int((b + 1) * gram_h / bins)
            for y in range(y0 + 1, wave_h + gram_h - int(b * gram_h / bins)):
                image[y][x] = (level, level * level, 0.3 * level)
    raster.write_png(path, image)


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    sounds = {"shot.wav": shot(), "charge.wav": charge()}
    for name, samples in sounds.items():
        with open(os.path.join(argv[1], name), "wb") as f:
            f.write(wav_bytes(samples))
        if len(argv) > 2:
            plot(samples, os.path.join(argv[2], name.replace(".wav", "-waveform.png")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
