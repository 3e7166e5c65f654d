#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

// Lets the event loop run for `ms`, so timers, ticks and animations advance
// before a picture is taken.
inline void runFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}
