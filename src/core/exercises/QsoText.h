#pragma once
// Made-up CW contacts for copying practice, in Danish or English: a call, the answer,
// and overs with report, name, QTH, rig and weather, closed with 73. Every
// character is sendable; lines end in CR LF like every practice text.

#include "exercises/PracticeText.h"

#include <QString>

namespace qso {

enum class Language { Danish, English };

// Kort: call, answer, reports and names. Mellem: QTH as well. Lang: rig, antenna and
// weather too.
enum class Length { Short, Medium, Long };

QString generate(Language language, Length length, const practice::Uniform &random);

} // namespace qso
