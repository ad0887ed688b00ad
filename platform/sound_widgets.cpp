// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

#include "platform/sound.h"

namespace {

class QtSound final : public Sound {
  public:
    bool play(const QString& soundName, IfUnplayable ifUnplayable) override {
        if (!QFileInfo(soundName).isFile()) {
            if (ifUnplayable == IfUnplayable::Beep) {
                QApplication::beep();
            }
            return false;
        }
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

std::unique_ptr<Sound> createQtSound() {
    return std::make_unique<QtSound>();
}
