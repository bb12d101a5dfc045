#pragma once
// A test that needs something this machine lacks (root, a sound server) skips on a
// developer's machine but fails loudly in CI, where everything must be there.

#include <QTest>

#define SKIP_UNLESS_CI(reason)                                                            \
    do {                                                                                  \
        if (qEnvironmentVariableIsSet("CI"))                                              \
            QFAIL(reason " (required in CI)");                                            \
        QSKIP(reason);                                                                    \
    } while (false)
