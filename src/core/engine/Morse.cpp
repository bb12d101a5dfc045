#include "engine/Morse.h"

#include "engine/BandConditions.h"
#include "engine/Keying.h"
#include "engine/MorseTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

using namespace morse;

namespace {

// Round half to even (the default floating-point rounding mode) and saturate to
// 16 bits: a volume near 32767 may peak about 1 % above itself.
std::int16_t roundSample(double v)
{
    return static_cast<std::int16_t>(std::clamp(std::nearbyint(v), -32768.0, 32767.0));
}

} // namespace

Morse::Morse(Settings &settings, std::unique_ptr<SoundDevice> device)
    : m_settings(settings), m_device(std::move(device))
{
    if (m_device) {
        m_device->notified = [this](int index) { onNotified(index); };
        m_device->playedOut = [this] { onPlayedOut(); };
        m_device->failed = [this] { onDeviceFailed(); };
    }
}

Morse::~Morse()
{
    releaseBuffer();
}

void Morse::HentSymbol(char &sym)
{
    if (gvTegnPos > gsCWTekst.size()) {
        sym = kSymEnd;
        gscwtegn = {};
        gvTegnPos = 0;
        gvSymbolPos = 0;
        return;
    }
    ++gvSymbolPos;
    if (gscwtegn.empty()) {
        const QStringView text(gsCWTekst);
        const QStringView c = text.mid(gvTegnPos, 1);
        QStringView token = c;
        if (c == u"<") {
            token = text.mid(std::min(gvTegnPos + 1, text.size()), 2);
            gvTegnPos += 3;
        }
        gscwtegn = lookupPattern(token);
    }
    const auto len = qsizetype(gscwtegn.size());
    if (gvSymbolPos <= len) {
        sym = gscwtegn[size_t(gvSymbolPos - 1)];
        return;
    }
    sym = kSymGap;
    if (gvSymbolPos > len + 2 + m_settings.giFarnsworth) {
        gvSymbolPos = 0;
        gscwtegn = {};
        ++gvTegnPos;
    }
}

void Morse::setText(const QString &text)
{
    gsCWTekst = text;
    gvTegnPos = 0;
    gvSymbolPos = 0;
    gscwtegn = {};
    // Read from its start: nothing of the last text's symbols carries over.
    gvSymbol = 0;
    glCWSlat = 0;
}

qint32 Morse::dotLength(int wpm)
{
    const int bounded = std::clamp(wpm, kMinWpm, kMaxWpm);
    return static_cast<qint32>(std::floor(double(kDotSamplesTimesWpm) / bounded / 10.0));
}

bool Morse::LavLyd()
{
    releaseBuffer();
    if (!m_device)
        return false;
    if (!m_device->open(kBufferBytes))
        return false;
    m_device->setNotificationPositions({kNotifyMiddle, kNotifyEnd});
    buildElements();
    m_hasBuffer = true;
    return true;
}

SoundError Morse::error() const
{
    return m_device ? m_device->error() : SoundError::NoServer;
}

void Morse::releaseBuffer()
{
    if (m_sending)
        StopSending();
    if (m_device && m_hasBuffer)
        m_device->release();
    m_hasBuffer = false;
}

void Morse::buildElements()
{
    glPriklen = dotLength(m_settings.giWPM);
    giBuffer.assign(kStagingEntries, 0);
    giSinus.assign(size_t(3 * glPriklen + 1), 0);
    LavSinus();
    LavElementer();
}

void Morse::LavSinus()
{
    const double pi = std::atan(1.0) * 4;
    const double omega = 2 * pi * m_settings.giTone / kSampleRate;
    const double a = roundSample(double(m_settings.glVolume));
    const double twoCos = 2 * std::cos(omega);
    giSinus[0] = 0;
    giSinus[1] = roundSample(-a * std::sin(omega));
    for (size_t k = 2; k < giSinus.size(); ++k)
        giSinus[k] = roundSample(twoCos * giSinus[k - 1] - giSinus[k - 2]);
}

void Morse::LavElementer()
{
    const auto d = size_t(glPriklen);
    for (auto *e : {&giPrik, &giStreg1, &giStreg2, &giStreg3, &giPause})
        e->assign(d + 1, 0);
    std::copy_n(giSinus.begin(), d, giPrik.begin());
    std::copy_n(giSinus.begin(), d, giStreg1.begin());
    // The dash's thirds overlap by one sample, so the seams are continuous.
    std::copy_n(giSinus.begin() + ptrdiff_t(d - 1), d, giStreg2.begin());
    std::copy_n(giSinus.begin() + ptrdiff_t(2 * d - 1), d, giStreg3.begin());

    // Soft keying: raised-cosine edges instead of the linear ramp, and a dash whose
    // thirds follow the wave without repeating the seam sample (at full amplitude
    // that one-sample phase step is itself a faint click).
    if (const int n = keying::edgeSamples(m_settings.softRampMs, glPriklen); n > 0) {
        std::copy_n(giSinus.begin() + ptrdiff_t(d), d, giStreg2.begin());
        std::copy_n(giSinus.begin() + ptrdiff_t(2 * d), d, giStreg3.begin());
        keying::shapeRise(giStreg1, n);
        keying::shapeRise(giPrik, n);
        keying::shapeFall(giStreg3, glPriklen, n);
        keying::shapeFall(giPrik, glPriklen, n);
        return;
    }
    const auto ramp = [](std::int16_t v, double factor) {
        return static_cast<std::int16_t>(std::floor(double(v) / kRampSamples * factor));
    };
    for (size_t i = 0; i <= size_t(kRampSamples); ++i) {
        giStreg1[i] = ramp(giStreg1[i], double(i));
        giPrik[i] = ramp(giPrik[i], double(i));
    }
    for (size_t i = d - size_t(kRampSamples); i <= d; ++i) {
        giStreg3[i] = ramp(giStreg3[i], double(d - i));
        giPrik[i] = ramp(giPrik[i], double(d - i));
    }
}

const std::vector<std::int16_t> &Morse::element(char symbol) const
{
    switch (symbol) {
    case kSymDash1: return giStreg1;
    case kSymDash2: return giStreg2;
    case kSymDash3: return giStreg3;
    case kSymDot: return giPrik;
    default: return giPause;
    }
}

bool Morse::StartSending()
{
    if (!m_hasBuffer)
        return false;
    glCWSlat = 0;
    gvSymbol = 0;
    m_lastFillMore[0] = FyldDel1();
    m_lastFillMore[1] = FyldDel2();
    m_finishing = false;
    m_sending = true;
    m_device->setPosition(0);
    m_device->playLooping();
    return true;
}

void Morse::StopSending()
{
    if (m_device && m_hasBuffer) {
        m_device->stop();
        m_device->setPosition(0);
    }
    resetSendState();
}

void Morse::resetSendState()
{
    gvTegnPos = 0;
    gscwtegn = {};
    gvSymbol = 0;
    gvSymbolPos = 0;
    m_sending = false;
    m_finishing = false;
}

bool Morse::FyldDel(int half)
{
    const qint32 d = glPriklen;
    const qint32 start = half * kHalfSamples;
    const qint32 end = start + kHalfSamples;
    std::int16_t *image = giBuffer.data();
    bool more = false;
    qint32 pos = start;

    // A symbol cut by the end of the last half continues here.
    if (glCWSlat > 0) {
        const auto &e = element(gvSymbol);
        std::memcpy(image + pos, e.data() + glCWSlat, size_t(d - glCWSlat) * sizeof(std::int16_t));
        pos = start + d - glCWSlat;
        glCWSlat = 0;
        if (gvSymbol != kSymEnd)
            more = true;
    }
    while (pos < end - d) {
        if (gvSymbol != kSymEnd)
            HentSymbol(gvSymbol);
        std::memcpy(image + pos, element(gvSymbol).data(), size_t(d) * sizeof(std::int16_t));
        pos += d;
        if (gvSymbol != kSymEnd)
            more = true;
    }
    if (pos < end) {
        if (gvSymbol != kSymEnd)
            HentSymbol(gvSymbol);
        glCWSlat = end - pos;
        std::memcpy(image + pos, element(gvSymbol).data(), size_t(glCWSlat) * sizeof(std::int16_t));
        if (gvSymbol != kSymEnd)
            more = true;
    }
    if (m_conditions)
        m_conditions->process(std::span<std::int16_t>(image + start, size_t(kHalfSamples)));
    if (m_device && m_hasBuffer)
        m_device->write(half * kHalfBytes, std::span<const std::int16_t>(image + start, size_t(kHalfSamples)));
    return more;
}

void Morse::onNotified(int index)
{
    // A notification that arrives after the transmission ended, or while the last
    // half plays out, changes nothing.
    if (!m_sending || m_finishing)
        return;
    bool more = true;
    if (index == 0)
        more = FyldDel1();
    else if (index == 1)
        more = FyldDel2();
    if (index == 0 || index == 1)
        m_lastFillMore[index] = more;
    if (halfFilled)
        halfFilled(more);
    if (more || !m_sending)
        return;
    // The other half is playing now. If it holds sound, let it be heard to its
    // last sample before the transmission ends.
    const int playing = index == 0 ? 1 : 0;
    if (m_lastFillMore[playing]) {
        m_finishing = true;
        m_device->finishAtNextNotification();
    } else {
        onPlayedOut();
    }
}

void Morse::onPlayedOut()
{
    if (!m_sending)
        return;
    StopSending();
    if (transmissionEnded)
        transmissionEnded();
}

void Morse::onDeviceFailed()
{
    const bool wasSending = m_sending;
    resetSendState();
    m_hasBuffer = false;
    if (wasSending && deviceFailed)
        deviceFailed();
}
