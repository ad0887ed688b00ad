// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

// Flags of PlaySound, as the Windows call takes them.
constexpr quint32 SND_SYNC = 0x0000;
constexpr quint32 SND_ASYNC = 0x0001;
constexpr quint32 SND_NODEFAULT = 0x0002;
constexpr quint32 SND_FILENAME = 0x00020000;

// Plays a WAV file. With SND_ASYNC the call returns at once; a second call starts the sound again
// whether or not the first has ended. A missing or unplayable file plays the system's default
// sound instead, unless SND_NODEFAULT is given.
class Sound {
  public:
    virtual ~Sound() = default;
    // True when playing could start.
    virtual bool PlaySound(const QString& soundName, quint32 flags) = 0;
};

// QSoundEffect, made only at the first sound, so a program whose alarm stays off never opens the
// audio output.
std::unique_ptr<Sound> createQtSound();
