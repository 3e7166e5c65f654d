#include "LocateSoundEffect.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>

LocateSoundEffect::LocateSoundEffect(QUrl source, QObject *parent)
    : LocateSound(parent)
    , m_source(std::move(source)) {}

bool LocateSoundEffect::load() {
    if (QMediaDevices::audioOutputs().isEmpty())
        return false;
    if (!m_effect) {
        const QString path = m_source.scheme() == QLatin1String("qrc")
                                 ? QLatin1Char(':') + m_source.path()
                                 : m_source.toLocalFile();
        if (!QFile::exists(path))
            return false;
        m_effect = new QSoundEffect(this);
        connect(m_effect, &QSoundEffect::statusChanged, this, [this] {
            if (m_effect->status() == QSoundEffect::Error)
                Q_EMIT failed();
        });
        // Decoding runs in the background; plays before it ends are skipped.
        m_effect->setSource(m_source);
    }
    return m_effect->status() != QSoundEffect::Error;
}

void LocateSoundEffect::play() {
    if (m_effect && m_effect->status() == QSoundEffect::Ready)
        m_effect->play();
}
