#pragma once
// Sound settings, raw sample bytes and the engine's own rendering as the engine
// tests build and read them.

#include "engine/Morse.h"
#include "engine/constants.h"
#include "settings/Settings.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace soundtest {

inline Settings soundSettings(int wpm, int tone = 800, int volume = 10000, int farnsworth = 0)
{
    Settings s;
    s.giWPM = qint16(wpm);
    s.giTone = qint16(tone);
    s.glVolume = volume;
    s.giFarnsworth = qint16(farnsworth);
    return s;
}

// 16-bit little-endian PCM bytes as samples; an odd last byte is dropped.
inline std::vector<std::int16_t> toSamples(const QByteArray &bytes)
{
    std::vector<std::int16_t> out(size_t(bytes.size() / 2));
    for (size_t i = 0; i < out.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[qsizetype(2 * i)]);
        const auto hi = static_cast<unsigned char>(bytes[qsizetype(2 * i + 1)]);
        out[i] = static_cast<std::int16_t>(lo | (hi << 8));
    }
    return out;
}

// The halves FyldDel fills for the engine's text, in order, up to the
// first one that held nothing but the end marker: what the device would play.
inline std::vector<std::int16_t> renderHalves(Morse &m)
{
    std::vector<std::int16_t> out;
    for (int half = 0; m.FyldDel(half); half ^= 1) {
        const auto first = m.staging().begin() + half * morse::kHalfSamples;
        out.insert(out.end(), first, first + morse::kHalfSamples);
    }
    return out;
}

// The same for text with these settings, on an engine of its own.
inline std::vector<std::int16_t> renderHalves(Settings settings, const QString &text)
{
    Morse m(settings, nullptr);
    m.buildElements();
    m.setText(text);
    return renderHalves(m);
}

} // namespace soundtest
