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

// The record for a PCM format: a sample frame is every channel's sample, each in
// whole bytes.
constexpr WaveFormat LavWaveFormat(int samplesPerSec, int channels, int bitsPerSample)
{
    const int blockAlign = channels * ((bitsPerSample + 7) / 8);
    return WaveFormat{1, channels, samplesPerSec, blockAlign * samplesPerSec, blockAlign,
                      bitsPerSample};
}

// The program's one sound format.
constexpr WaveFormat kWaveFormat = LavWaveFormat(kSampleRate, kChannels, kBitsPerSample);
constexpr int kBytesPerSample = kWaveFormat.blockAlign;         // 2

// The device buffer holds one second of sound and is refilled a half at a time: the
// device reports when it has played the last byte of each half.
constexpr int kBufferBytes = kWaveFormat.avgBytesPerSec;        // 88200: one second
constexpr int kBufferSamples = kBufferBytes / kBytesPerSample;  // 44100
constexpr int kHalfSamples = kBufferSamples / 2;                // 22050
constexpr int kHalfBytes = kHalfSamples * kBytesPerSample;      // 44100
constexpr int kNotifyMiddle = kHalfBytes - 1;                   // 44099: last byte of half 1
constexpr int kNotifyEnd = kBufferBytes - 1;                    // 88199: last byte of half 2
static_assert(kBufferSamples % 2 == 0, "the two halves must be equal");
static_assert(kHalfBytes * 2 == kBufferBytes);

// The staging image the halves are built in before they are written: one entry per
// sample of the device buffer.
constexpr int kStagingEntries = kBufferSamples;

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
