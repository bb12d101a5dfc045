// Prints how long importing a list of 100 000 calls takes (with comments, blank lines,
// bad lines and repeats among them), and how long 10 000 calls take to make up.

#include "exercises/Callsigns.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>

int main()
{
    const practice::Uniform random = practice::seededUniform(1);
    QString text;
    for (int i = 0; i < 100000; ++i) {
        if (i % 50 == 0)
            text += QStringLiteral("# comment line\n\n");
        else if (i % 97 == 0)
            text += QStringLiteral("not a call\n");
        else
            text += calls::generateCall(random) + QLatin1Char('\n');
    }
    double best = 1e9;
    calls::ImportResult result;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        result = calls::importList(text, calls::isValidCall);
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("import of 100000 lines: %.1f ms (best of 5); %lld calls, %zu bad lines, "
                "%d repeats\n",
                best, static_cast<long long>(result.entries.size()), result.badLines.size(),
                result.duplicates);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 10000; ++i)
        calls::generateCall(random);
    std::printf("10000 calls made up: %.1f ms\n", double(t.nsecsElapsed()) / 1e6);
    return 0;
}
