#pragma once

#include <QObject>

// The short sound locate mode repeats. Loading may fail (no audio device,
// a sound that cannot be read): locate mode then runs silent, never with an
// error.
class LocateSound : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Prepares one more run of locate mode; false: stay silent.
    virtual bool load() = 0;
    virtual void play() = 0;

Q_SIGNALS:
    // The sound turned out unplayable after it loaded: go silent.
    void failed();
};
