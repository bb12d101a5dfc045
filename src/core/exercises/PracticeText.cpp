#include "exercises/PracticeText.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace practice {
namespace {

// Spreads nearby seeds (clock ticks a few apart) over the whole 64-bit range.
std::uint64_t splitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

Uniform seededUniform(std::uint64_t seed)
{
    // Shared so that copies of the function draw from one sequence.
    auto engine = std::make_shared<std::mt19937_64>(splitMix(seed));
    return [engine] {
        // The top 53 bits as a fraction: exactly representable, always below 1.
        return double((*engine)() >> 11) * 0x1.0p-53;
    };
}

Uniform clockSeededUniform()
{
    // The counter separates two generations within one clock tick (coarse clocks).
    static std::atomic<std::uint64_t> generation{0};
    const auto ticks = std::uint64_t(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return seededUniform(ticks ^ splitMix(generation.fetch_add(1)));
}

qsizetype drawPosition(double r, qsizetype length)
{
    const auto k = qsizetype(std::floor(r * double(length) + 1));
    return std::clamp<qsizetype>(k, 1, length) - 1;
}

int readCount(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    qint64 value = 0;
    constexpr qint64 kLimit = std::numeric_limits<int>::max();
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min(kLimit, value * 10 + (text[i].unicode() - u'0'));
    return int(value);
}

PracticeText::PracticeText(Uniform random) : m_random(std::move(random)) {}

void PracticeText::opening(int lineBreaks)
{
    m_text += kOpening;
    for (int i = 0; i < lineBreaks; ++i)
        lineBreak();
}

void PracticeText::lineBreak()
{
    m_text += kLineBreak;
}

void PracticeText::repeatLine(QStringView piece, int times)
{
    for (int i = 0; i < times; ++i) {
        m_text += piece;
        m_text += u' ';
    }
    lineBreak();
}

void PracticeText::group(QStringView set)
{
    if (!set.isEmpty()) {
        for (int i = 0; i < kGroupLength; ++i)
            m_text += set[drawPosition(m_random(), set.size())];
    }
    m_text += u' ';
}

void PracticeText::groups(QStringView set, int count, int perLine)
{
    m_text.reserve(m_text.size() + qsizetype(count) * (kGroupLength + 1)
                   + qsizetype(count / perLine) * kLineBreak.size());
    for (int i = 1; i <= count; ++i) {
        group(set);
        if (i % perLine == 0)
            lineBreak();
    }
}

QString PracticeText::close()
{
    m_text += kClosing;
    return std::move(m_text);
}

QString groupText(QStringView set, int count, Uniform random)
{
    PracticeText text(std::move(random));
    text.opening(2);
    text.groups(set, count, 5);
    text.lineBreak();
    return text.close();
}

} // namespace practice
