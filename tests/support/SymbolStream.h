#pragma once
// Test helper: the whole symbol stream of a text, up to and including the end
// marker.

#include "engine/Morse.h"

#include <string>

inline std::string symbolStream(Morse &morse, const QString &text, qsizetype limit = 10000000)
{
    morse.setText(text);
    std::string out;
    char sym = 0;
    do {
        morse.HentSymbol(sym);
        out += sym;
    } while (sym != '0' && qsizetype(out.size()) < limit);
    return out;
}
