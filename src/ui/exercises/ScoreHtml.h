#pragma once
// The scored copy as the practice windows show it: the aligned texts with wrong,
// missing and extra characters marked, and the counts with the accuracy.

#include "exercises/CopyScore.h"

#include <QString>

namespace exercises {

// Per cent with one decimal, Danish style ("97,5 %").
QString percentText(double value);

// The aligned texts as two lines per 60 columns: the target above, the other text
// below; wrong characters red, missing ones a grey "_", extra ones struck through.
QString alignedScoreHtml(const receive::Score &score);

// "Sendt: n tegn. Rigtige: ... Nøjagtighed: x %" as one paragraph.
QString scoreCountsHtml(const receive::Score &score);

} // namespace exercises
