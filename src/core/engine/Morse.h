#pragma once
// The Morse engine: the symbol source, the sound build and the double-buffered
// transmission through a SoundDevice. One instance per program, used on the UI thread.

#include "engine/constants.h"
#include "engine/sound_device/SoundDevice.h"
#include "settings/Settings.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace band { class BandConditions; }

class Morse {
public:
    // The settings record is read on every build (speed, tone, volume) and on every
    // symbol (Farnsworth); the device may be null (no sound at all).
    Morse(Settings &settings, std::unique_ptr<SoundDevice> device);
    ~Morse();
    Morse(const Morse &) = delete;
    Morse &operator=(const Morse &) = delete;

    Settings &settings() { return m_settings; }
    SoundDevice *device() { return m_device.get(); }

    // --- Symbol source -----------------------------------------------------------
    // Stores the next symbol of gsCWTekst in sym and advances the position state.
    void HentSymbol(char &sym);

    // --- Sound build ---------------------------------------------------------------
    // (Re)creates the device buffer with its two notifications and builds the
    // elements from giWPM, giTone and glVolume. False: no usable device; the buffer
    // is then absent and error() tells why. Calling it again retries the device.
    bool LavLyd();
    // True while a device buffer exists (gDSB is set).
    bool hasBuffer() const { return m_hasBuffer; }
    SoundError error() const;
    // Releases the buffer (stopping any sound); used at shutdown.
    void releaseBuffer();

    // Builds only the dot length and the elements, without a device (tests, tools).
    void buildElements();

    // Band conditions laid over every half after its synthesis; null (the default):
    // the clean sound. The engine does not own them.
    void setConditions(band::BandConditions *conditions) { m_conditions = conditions; }

    // --- Transmission --------------------------------------------------------------
    // Fills both halves and starts looping playback of gsCWTekst. False without a buffer.
    bool StartSending();
    // Stops at once and resets the position state.
    void StopSending();
    // Synthesises the next 22050 samples into half 0 (FyldDel1) or 1 (FyldDel2) and
    // hands them to the device. True when a symbol other than the end marker was placed.
    bool FyldDel(int half);
    bool FyldDel1() { return FyldDel(0); }
    bool FyldDel2() { return FyldDel(1); }

    // True from StartSending until the transmission has ended (stopped, played out
    // or failed); the window stays in its sending state meanwhile.
    bool isSending() const { return m_sending; }

    // Called on the UI thread after each notification's fill with that fill's
    // result (the window extends its selection here). When more is false the engine
    // lets the last half play out, then calls transmissionEnded.
    std::function<void(bool more)> halfFilled;
    // The natural end: the last sound has been heard and StopSending has run.
    std::function<void()> transmissionEnded;
    // The device failed while sending; the transmission was stopped.
    std::function<void()> deviceFailed;

    // --- The send text and what the device plays ----------------------------------
    // The text the symbol source reads next, from its start. Also the exchange string
    // of the exercise windows, which the main window hands over here.
    void setText(const QString &text);
    const QString &text() const { return gsCWTekst; }
    // Characters of the text the symbol source has consumed (a prosign counts its
    // four); back to 0 after the end marker and after StopSending.
    qsizetype sentCharacters() const { return gvTegnPos; }
    // The dot length of the last build, in samples; 0 before the first.
    qint32 dotSamples() const { return glPriklen; }
    // The precomputed element a symbol plays ('4' dot, '1' to '3' the thirds of a
    // dash, anything else silence), dotSamples() + 1 samples; the first dotSamples()
    // are what is heard.
    const std::vector<std::int16_t> &element(char symbol) const;
    // The sine the elements are cut from, 3 × dotSamples() + 1 samples.
    const std::vector<std::int16_t> &sine() const { return giSinus; }
    // The staging image of the device buffer: both halves as FyldDel left them.
    const std::vector<std::int16_t> &staging() const { return giBuffer; }

    // The dot length for a speed: Int(529200 / wpm / 10) samples.
    static qint32 dotLength(int wpm);

private:
    void LavSinus();
    void LavElementer();
    // The position state back at the start of the text; no transmission running.
    void resetSendState();
    void onNotified(int index);
    void onPlayedOut();
    void onDeviceFailed();

    Settings &m_settings;
    std::unique_ptr<SoundDevice> m_device;
    bool m_hasBuffer = false;
    bool m_sending = false;
    bool m_finishing = false;
    bool m_lastFillMore[2] = {false, false};

    band::BandConditions *m_conditions = nullptr;

    // The engine's state, under the program's established names.
    QString gsCWTekst;              // the text being sent
    qsizetype gvTegnPos = 0;        // characters of gsCWTekst consumed
    qsizetype gvSymbolPos = 0;      // 1-based position in gscwtegn of the last symbol
    std::string_view gscwtegn;      // pattern of the current character; empty: none
    char gvSymbol = 0;              // symbol being written; 0 before the first
    qint32 glCWSlat = 0;            // samples of gvSymbol written at the end of the last half
    qint32 glPriklen = 0;           // dot length in samples

    std::vector<std::int16_t> giSinus;
    std::vector<std::int16_t> giPrik;
    std::vector<std::int16_t> giStreg1;
    std::vector<std::int16_t> giStreg2;
    std::vector<std::int16_t> giStreg3;
    std::vector<std::int16_t> giPause;
    std::vector<std::int16_t> giBuffer;   // staging image of the device buffer
};
