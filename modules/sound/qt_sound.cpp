// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The sound module: the alarm over Qt Multimedia, whose audio output and codecs stay out of every
// run that plays no alarm.
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <memory>

#include "platform/sound.h"

namespace {

// Plays files that are there; the program decides what a missing one gives.
class QtSound final : public Sound {
  public:
    bool play(const QString& soundName, IfUnplayable) override {
        if (!m_effect) {
            m_effect = std::make_unique<QSoundEffect>();
        }
        const QUrl source = QUrl::fromLocalFile(QFileInfo(soundName).absoluteFilePath());
        if (m_effect->source() != source) {
            m_effect->setSource(source);
        }
        // A sound that is still loading starts by itself once it is ready.
        m_effect->play();
        return m_effect->status() != QSoundEffect::Error;
    }

  private:
    std::unique_ptr<QSoundEffect> m_effect;
};

}  // namespace

extern "C" Q_DECL_EXPORT Sound* kestrelview_make_sound() {
    return new QtSound;
}
