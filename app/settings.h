// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>

#include "visitors/options.h"

class FileStore;
struct Platform;

// The options that live in "\setting.ini", section "Setting", as the main window holds them.
enum class SettingsCheckBox { OpenInIe, Alarm, MinimiseOnClose, CollectAtStart };

// The controls the settings are read into and written from. The main window implements it.
class SettingsControls {
  public:
    virtual ~SettingsControls() = default;
    // The interval box, "■定期取得". Setting a text that differs from the box's runs its change
    // handler, as typing does.
    virtual QString intervalText() const = 0;
    virtual void setIntervalText(const QString& text) = 0;
    virtual Tick checkState(SettingsCheckBox box) const = 0;
    virtual void setCheckState(SettingsCheckBox box, Tick state) = 0;
    // The retrieval method's two options. Clearing one does not select the other.
    virtual bool retrievalMethodSelected(RetrievalMethod method) const = 0;
    virtual void setRetrievalMethodSelected(RetrievalMethod method, bool selected) = 0;
    // The tray menu's tick "新しい足あとを通知(&N)".
    virtual bool newVisitNotices() const = 0;
    virtual void setNewVisitNotices(bool on) = 0;
};

// The application directory + "\setting.ini".
QString SettingFilePath(const Platform& platform);

// The settings module's two calls over the private-profile functions, section "Setting".
qint32 GetIniInt(const QString& key, qint32 defaultValue, const QString& fileName);
bool WriteIniString(FileStore& files, const QString& key, const QString& value,
                    const QString& fileName);

// Reads the file into the controls; a missing file or key gives the default, and a value a
// control does not take leaves it as it was. Called once at start-up.
void LoadSettings(const Platform& platform, SettingsControls& controls);

// Writes the controls into the file, key by key, in a fixed order; a key that cannot be written
// is skipped and keeps its value in the file, and the log says so. Called once, at exit. False
// when a key could not be written.
bool SaveSettings(Platform& platform, const SettingsControls& controls);

// "ServiceUrl" of the settings file: where the service lives, for the demo service and tests.
// Read at start-up and never written; empty when absent.
QString ReadServiceUrl(const Platform& platform);
