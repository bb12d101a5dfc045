#pragma once
// Keeps Qt Multimedia able to reach a PulseAudio (or PipeWire) sound server that
// comes and goes while the program runs.
//
// Qt's PulseAudio layer connects to the server once, when Qt Multimedia is first
// used, and after losing the server it tries again once, 3 s later. When either
// attempt finds no server it never tries again, and every sink fails until the
// program is restarted. So:
//  - Qt Multimedia is first used only once a server answers (serverAnswers()), and
//  - when Qt's layer has lost its server and has given up, reconnect() asks it to
//    connect again, once a server answers.
// Where Qt does not use PulseAudio (the program was built without libpulse), every
// call is a no-op that lets the caller go on.

namespace SoundServerWatch {

// True when a sound server accepts a connection now; waits at most about 1 s.
bool serverAnswers();

// Watches for Qt's PulseAudio layer losing its server. Call on the UI thread,
// before the first use of Qt Multimedia; later calls do nothing.
//
// Qt's layer frees its connection right after it says the server is lost, and
// a sink used from another thread may be inside that connection at that moment.
// onLoss runs on the UI thread in between, while the connection still exists,
// so that those sinks can be let go of first.
void install(void (*onLoss)());

// After a sink failed to open: when Qt's layer lost its server more than its own
// retry delay ago and a server answers now, makes it connect again. True when it
// did; the caller then tries to open once more.
bool reconnect();

// A sink opened: the connection works, whatever was lost before.
void opened();

} // namespace SoundServerWatch
