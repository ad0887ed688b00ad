// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

// What a sound file that is missing or cannot be played gives instead.
enum class IfUnplayable { Beep, Silence };

// Plays a WAV file without waiting for it: the call returns at once, and a second call starts the
// sound again whether or not the first has ended.
class Sound {
  public:
    virtual ~Sound() = default;
    // True when playing could start.
    virtual bool play(const QString& wavFile, IfUnplayable ifUnplayable = IfUnplayable::Beep) = 0;
};

class EventLog;

// QSoundEffect in the sound module, which the first file there is to play opens, so a program
// whose alarm stays off never maps Qt Multimedia nor opens the audio output. Without the module
// every sound is unplayable, and `log` (when given) is told why, once.
std::unique_ptr<Sound> createQtSound(EventLog* log = nullptr);
