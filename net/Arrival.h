// When a message arrived, on a clock that also times when this side handed its own messages
// over: the steady clock's nanoseconds. Only ever compared with other times of this process.
#pragma once

#include <QtGlobal>
#include <chrono>

using TArrival = qint64;

inline TArrival ArrivalNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
