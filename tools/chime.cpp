// SPDX-License-Identifier: GPL-3.0-or-later
// The alert chime: a "ding" and a "dong" a major third apart, each a struck bar
// with a few decaying partials. The ding rings on under the dong.
#include "assets.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const int sampleRate = 22050;
// 0.678 s.
const int sampleCount = 14953;
const double pi = 3.14159265358979323846;
const double peak = 0.7 * 32767;
// Soft onset of each strike and a fade at the very end, against clicks.
const double attack = 0.004;
const double fadeOut = 0.060;

struct Partial
{
    double ratio;
    double level;
    double decay; // time constant, s
};

// Slightly stretched upper partials give the metallic colour of a bar.
const Partial partials[] = {
    {1.0, 1.0, 0.17},
    {2.0, 0.30, 0.09},
    {3.01, 0.12, 0.05},
    {4.16, 0.07, 0.03},
};

struct Strike
{
    double start; // s
    double frequency;
    double level;
};

const Strike strikes[] = {
    {0.0, 659.26, 1.0},  // E5
    {0.30, 523.25, 1.0}, // C5
};

double strikeAt(const Strike& strike, double t)
{
    const double local = t - strike.start;
    if (local < 0)
        return 0;
    const double onset = local < attack ? 0.5 - 0.5 * std::cos(pi * local / attack) : 1.0;
    double v = 0;
    for (const Partial& partial : partials)
        v += partial.level * std::exp(-local / partial.decay) *
             std::sin(2 * pi * strike.frequency * partial.ratio * local);
    return strike.level * onset * v;
}

} // namespace

QByteArray makeChime()
{
    std::vector<double> wave(sampleCount);
    double loudest = 0;
    for (int i = 0; i < sampleCount; ++i) {
        const double t = double(i) / sampleRate;
        double v = 0;
        for (const Strike& strike : strikes)
            v += strikeAt(strike, t);
        const double left = double(sampleCount - 1 - i) / sampleRate;
        if (left < fadeOut)
            v *= 0.5 - 0.5 * std::cos(pi * left / fadeOut);
        wave[i] = v;
        loudest = std::max(loudest, std::abs(v));
    }

    const quint32 dataBytes = sampleCount * 2;
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(sampleRate) << quint32(sampleRate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (double v : wave)
        out << qint16(std::lround(v / loudest * peak));
    return file;
}
