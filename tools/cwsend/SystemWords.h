#pragma once
// The system's reasons for a failed call, in the tool's Danish words.

#include <QString>

namespace cwsend {

// "adgang nægtet", "filen eller mappen findes ikke" ... for an errno value; for one
// without words of its own, the system's text with its number.
QString systemWords(int errnoValue);

// The same for a reason given in the system's own words (as std::generic_category
// words them); any other text is quoted as the system's answer.
QString systemWords(const QString &reason);

} // namespace cwsend
