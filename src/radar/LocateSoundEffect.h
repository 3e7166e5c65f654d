#pragma once

#include "LocateSound.h"

#include <QUrl>

class QSoundEffect;

// The locate sound through Qt Multimedia: a short bundled WAV. Without an
// audio output device, or when the file does not load, it stays silent.
class LocateSoundEffect : public LocateSound {
    Q_OBJECT
public:
    explicit LocateSoundEffect(QUrl source = QUrl(QStringLiteral("qrc:/sounds/locate.wav")),
                               QObject *parent = nullptr);

    bool load() override;
    void play() override;

private:
    QUrl m_source;
    QSoundEffect *m_effect = nullptr;
};
