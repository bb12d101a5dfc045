#pragma once
// Fixed numbers of the sound format, the device buffer and the keying.

namespace morse {

constexpr int kSampleRate = 44100;                      // samples per second, mono
constexpr int kChannels = 1;
constexpr int kBitsPerSample = 16;                      // signed, little-endian

// A PCM format record: what the sound device plays and the WAV writer describes.
struct WaveFormat {
    int formatTag;          // 1: PCM
    int channels;
    int samplesPerSec;
    int avgBytesPerSec;     // blockAlign * samplesPerSec
    int blockAlign;         // bytes per sample frame
    int bitsPerSample;      // signed, little-endian
};

// The record for a PCM format; block align is channels * bits / 8, rounded.
constexpr WaveFormat LavWaveFormat(int samplesPerSec, int channels, int bitsPerSample)
{
    const int blockAlign = (channels * bitsPerSample + 4) / 8;
    return WaveFormat{1, channels, samplesPerSec, blockAlign * samplesPerSec, blockAlign,
                      bitsPerSample};
}

// The program's one sound format.
constexpr WaveFormat kWaveFormat = LavWaveFormat(kSampleRate, kChannels, kBitsPerSample);
constexpr int kBytesPerSample = kWaveFormat.blockAlign;         // 2
constexpr int kBufferBytes = kWaveFormat.avgBytesPerSec;      // 88200: one second
constexpr int kBufferSamples = kBufferBytes / kBytesPerSample; // 44100
constexpr int kHalfSamples = (kBufferBytes / 2 + 1) / 2;      // 22050: one half
constexpr int kHalfBytes = kHalfSamples * kBytesPerSample;    // 44100
constexpr int kNotifyMiddle = (kBufferBytes - 1) / 2;         // 44099: last byte of half 1
constexpr int kNotifyEnd = kBufferBytes - 1;                  // 88199: last byte of half 2
constexpr int kStagingEntries = kBufferBytes + 1;             // 88201; the first 44100 are used

constexpr int kDotSamplesTimesWpm = kSampleRate * 12;   // 529200: 1.2 s of samples at 1 WPM
constexpr int kRampSamples = 25;                        // rise and fall ramps, about 0.57 ms

// Speeds whose dot length the ramps and the half carry can handle: 25 <= dot < 22050.
constexpr int kMinWpm = 3;
constexpr int kMaxWpm = 2116;
constexpr int kMaxVolume = 32767;                       // peak amplitude must fit 16 bits
constexpr int kMaxFarnsworth = 20;                      // larger stored values become 20

// Symbols delivered by HentSymbol; each lasts exactly one dot length.
constexpr char kSymDot = '4';
constexpr char kSymDash1 = '1';
constexpr char kSymDash2 = '2';
constexpr char kSymDash3 = '3';
constexpr char kSymGap = ' ';
constexpr char kSymEnd = '0';

} // namespace morse
