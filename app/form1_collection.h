// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <memory>

#include "app/form1.h"
#include "app/schedule.h"
#include "app/settings.h"
#include "collect/collection_host.h"
#include "collect/collector.h"
#include "platform/web_browser.h"

// The main window as the collection run, the schedule and the settings see it. Every state it
// reports lives in the window: Busy, WaitTime and ElapsedMinutes are the window's fields, the
// method, the alarm and the options are its controls' states, and Command1's enabled state is the
// button's own.
class Form1::Collection final : public CollectionHost,
                                public ScheduleHost,
                                public SettingsControls {
  public:
    explicit Collection(Form1& form);
    ~Collection() override;

    // The run fetches the footprint pages from `address`. Set once at start-up, before any run.
    void setCollectionAddress(const FootprintPages& address);
    // Null until start-up has read where the service lives.
    Collector* collector() { return m_collector.get(); }
    Schedule& schedule() { return m_schedule; }

    // Both hosts
    void SetPanelText(int panel, const QString& text) override;
    void MsgBox(const QString& prompt, MsgBoxIcon icon, const QString& title) override;

    // CollectionHost
    void setCollectAvailable(bool enabled) override;
    void setBusy(bool busy) override;
    void resetElapsedMinutes() override;
    int retrievalMethod() const override;
    void setRetrievalMethod(int index) override;
    int alarmOption() const override;
    VisitorTable& visitorTable() override;
    int rankingRowCount() const override;
    void RefreshRanking() override;
    QString dataPath() const override;
    void SaveDataFile(const QString& path, bool IsFallback) override;
    void showNotice(const QString& message) override;
    WebBrowser& browser() override { return m_browser; }
    bool programEnding() const override { return m_form.ended(); }

    // ScheduleHost
    bool command1Enabled() const override;
    void collectFootprints() override;
    void setTimer2Enabled(bool enabled) override;

    // SettingsControls
    QString text1() const override;
    void setText1(const QString& text) override;
    int checkState(SettingsCheckBox box) const override;
    void setCheckState(SettingsCheckBox box, int state) override;
    bool getOptSelected(int index) const override;
    void setGetOptSelected(int index, bool selected) override;

  private:
    CheckBox* checkBox(SettingsCheckBox box) const;

    Form1& m_form;
    WebBrowser m_browser;
    Schedule m_schedule;
    std::unique_ptr<Collector> m_collector;
};
