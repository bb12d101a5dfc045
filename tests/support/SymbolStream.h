#pragma once
// Test helper: the whole symbol stream of a text, up to and including the end
// marker, and the sound each symbol stands for.

#include "engine/Morse.h"

#include <string>
#include <vector>

inline std::string symbolStream(Morse &morse, const QString &text, qsizetype limit = 10000000)
{
    morse.gsCWTekst = text;
    std::string out;
    char sym = 0;
    do {
        morse.HentSymbol(sym);
        out += sym;
    } while (sym != '0' && qsizetype(out.size()) < limit);
    return out;
}

// The element a symbol plays ('4' dot, '1' to '3' the thirds of a dash, anything
// else silence); its first glPriklen samples are what is heard.
inline const std::vector<std::int16_t> &elementOf(const Morse &m, char symbol)
{
    switch (symbol) {
    case '4': return m.giPrik;
    case '1': return m.giStreg1;
    case '2': return m.giStreg2;
    case '3': return m.giStreg3;
    default: return m.giPause;
    }
}
