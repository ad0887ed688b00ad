// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QApplication>
#include <QFileInfo>

#include "platform/event_log.h"
#include "platform/program_modules.h"
#include "platform/sound.h"

namespace {

using SoundModuleEntry = Sound* (*)();

// The sound module's player, opened at the first file there is to play. Without the module a
// sound is unplayable: the beep where one is wanted, and the log says once why; the module is
// looked for again at the next sound.
class ModuleSound final : public Sound {
  public:
    explicit ModuleSound(EventLog* log) : m_log(log) {}

    bool play(const QString& soundName, IfUnplayable ifUnplayable) override {
        if (QFileInfo(soundName).isFile() && player()) {
            return m_player->play(soundName, ifUnplayable);
        }
        if (ifUnplayable == IfUnplayable::Beep) {
            QApplication::beep();
        }
        return false;
    }

  private:
    Sound* player() {
        if (!m_player) {
            QString error;
            const auto entry = reinterpret_cast<SoundModuleEntry>(
                ProgramModuleFunction(QStringLiteral("sound"), "kestrelview_make_sound", &error));
            m_player.reset(entry ? entry() : nullptr);
            if (!m_player && !m_told) {
                m_told = true;
                if (m_log) {
                    m_log->write(QStringLiteral("sound: the alarm beeps instead: ") + error);
                }
            }
        }
        return m_player.get();
    }

    EventLog* m_log;
    std::unique_ptr<Sound> m_player;
    bool m_told = false;
};

}  // namespace

std::unique_ptr<Sound> createQtSound(EventLog* log) {
    return std::make_unique<ModuleSound>(log);
}
