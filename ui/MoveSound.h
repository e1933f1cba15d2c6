// The short sound that tells a player the opponent has moved. It is the desktop's own event
// sound ("message" of the sound theme) played through the desktop's sound server, so the
// desktop's volume for event sounds, its mute and its sound theme apply as they do to every
// other program. Playing never waits: the sound server is spoken to on a thread of its own,
// and where there is none the sound is simply not heard.
#pragma once

#include <QByteArray>
#include <QThreadPool>
#include <atomic>

struct ca_context;

class TMoveSound {
public:
    TMoveSound();
    ~TMoveSound(); // waits for a sound being handed to the server, never for one being heard
    TMoveSound(const TMoveSound &) = delete;
    TMoveSound &operator=(const TMoveSound &) = delete;

    // Returns at once. A sound asked for while the previous one is still being handed over
    // is the same news: it is not queued.
    void Play();
    // Connects to the sound server ahead of the first sound, so that it comes without delay.
    void Prepare();

private:
    bool OpenContext(); // on the worker
    void PlayOnWorker();

    // Who plays the sound, as the desktop's mixer names it; read on the GUI thread.
    const QByteArray ApplicationName, ApplicationId;
    QThreadPool Worker;                // one thread: the context is used by one at a time
    ca_context *Context = nullptr;     // made on the first sound, on the worker
    std::atomic<bool> Pending = false; // a sound waits for the worker
};
