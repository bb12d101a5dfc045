#pragma once
// QTEST_GUILESS_MAIN for tests that play through the real sound device: the test
// object and application are gone before the process ends through
// QtSoundDevice::finishProcess, as the program's own main does.

#include "engine/sound_device/QtSoundDevice.h"

#include <QCoreApplication>
#include <QTest>

#define TELVOK_SOUND_TEST_MAIN(TestObject)                                                        \
    int main(int argc, char *argv[])                                                              \
    {                                                                                             \
        int status = 0;                                                                           \
        {                                                                                         \
            QCoreApplication app(argc, argv);                                                     \
            TestObject tc;                                                                        \
            QTEST_SET_MAIN_SOURCE_PATH                                                            \
            status = QTest::qExec(&tc, argc, argv);                                               \
        }                                                                                         \
        return QtSoundDevice::finishProcess(status);                                              \
    }
