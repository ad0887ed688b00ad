// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

struct Platform;
class QWidget;

// The start-with-the-desktop button: its caption mirrors whether the run-at-start value
// exists and names what a click does.

inline constexpr char16_t kRegisterCaption[] = u"スタートアップに登録";
inline constexpr char16_t kUnregisterCaption[] = u"スタートアップから削除";

// The command of the run-at-start value, decided by the program folder (where the running
// executable lies), never by the data folder. A portable copy: the program in its folder by its
// fixed name, in double quotes. An installed copy: its command, "kestrelview", when PATH finds
// this very copy by that name, or else its path in double quotes, so that the entry never names a
// build folder and survives the package's upgrades. Empty when the program folder is not known.
QString StartupValueData(const QString& programFolder);

// The button as the registration logic sees it; the main window implements it.
class StartupButton {
  public:
    virtual ~StartupButton() = default;
    virtual QString caption() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual QWidget* dialogParent() const = 0;
};

class StartupRegistration {
  public:
    StartupRegistration(Platform& platform, StartupButton& button);

    // "スタートアップから削除" when the value can be read, whatever it holds; otherwise (absent,
    // unreadable, no autostart entry at all) "スタートアップに登録".
    void refreshButton();
    // Writes the value when the caption is "スタートアップに登録", deletes it otherwise, then
    // refreshes the caption. A refused write or delete is told in a message box.
    void toggle();

  private:
    Platform& m_platform;
    StartupButton& m_button;
};
