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

// QSoundEffect, made only at the first sound, so a program whose alarm stays off never opens the
// audio output.
std::unique_ptr<Sound> createQtSound();
