// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Writes the alarm sound: two short rising chimes, 16-bit mono PCM at 22050 Hz, about 0.7 s.
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kRate = 22050;

void appendLe(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(char((value >> (8 * i)) & 0xFF));
    }
}

// One chime: a tone with its octave, a quick attack and an exponential fade.
void chime(QByteArray& pcm, double frequency, double seconds) {
    const int samples = int(seconds * kRate);
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.005);
        const double envelope = attack * std::exp(-t * 7.0);
        const double wave = 0.7 * std::sin(2 * std::numbers::pi * frequency * t) +
                            0.3 * std::sin(2 * std::numbers::pi * 2 * frequency * t);
        appendLe(pcm, quint32(quint16(qint16(std::lround(wave * envelope * 0.6 * 32767)))), 2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-alarm-wav OUTPUT.wav\n");
        return 2;
    }
    QByteArray pcm;
    chime(pcm, 880.0, 0.3);
    chime(pcm, 1318.5, 0.4);

    QByteArray wav("RIFF");
    appendLe(wav, quint32(36 + pcm.size()), 4);
    wav += "WAVEfmt ";
    appendLe(wav, 16, 4);         // format chunk size
    appendLe(wav, 1, 2);          // PCM
    appendLe(wav, 1, 2);          // mono
    appendLe(wav, kRate, 4);      // sample rate
    appendLe(wav, kRate * 2, 4);  // byte rate
    appendLe(wav, 2, 2);          // block align
    appendLe(wav, 16, 2);         // bits per sample
    wav += "data";
    appendLe(wav, quint32(pcm.size()), 4);
    wav += pcm;

    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
