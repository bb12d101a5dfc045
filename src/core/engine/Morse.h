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

    // --- State, under the program's established names ---------------------------
    QString gsCWTekst;              // the text being sent; also the exercise hand-over
    qsizetype gvTegnPos = 0;        // characters of gsCWTekst consumed
    qsizetype gvSymbolPos = 0;      // 1-based position in gscwtegn of the last symbol
    std::string_view gscwtegn;      // pattern of the current character; empty: none
    char gvSymbol = 0;              // symbol being written; 0 before the first
    qint32 glCWSlat = 0;            // samples of gvSymbol written at the end of the last half
    qint32 glPriklen = 0;           // dot length in samples

    // The text and the symbol source's reading position, taken whole so that the
    // source can be lent to another text and given back exactly as it was.
    struct SendState {
        QString gsCWTekst;
        qsizetype gvTegnPos = 0;
        qsizetype gvSymbolPos = 0;
        std::string_view gscwtegn;
        char gvSymbol = 0;
        qint32 glCWSlat = 0;
    };
    SendState sendState() const;
    void restoreSendState(const SendState &state);

    std::vector<std::int16_t> giSinus;
    std::vector<std::int16_t> giPrik;
    std::vector<std::int16_t> giStreg1;
    std::vector<std::int16_t> giStreg2;
    std::vector<std::int16_t> giStreg3;
    std::vector<std::int16_t> giPause;
    std::vector<std::int16_t> giBuffer;   // staging image of the device buffer

    // The dot length for a speed: Int(529200 / wpm / 10) samples.
    static qint32 dotLength(int wpm);

private:
    void LavSinus();
    void LavElementer();
    // The position state back at the start of the text; no transmission running.
    void resetSendState();
    const std::vector<std::int16_t> &element(char symbol) const;
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
};
