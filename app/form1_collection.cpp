// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The main window's part in collecting: the "足跡取得" button, the schedule's timers, the interval
// box and the settings file, over the collector and the schedule the window owns.
#include "app/form1_collection.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/form2.h"
#include "collect/footprint_pages.h"
#include "platform/platform.h"

void Form1::CollectionDeleter::operator()(Collection* collection) const {
    delete collection;
}

void Form1::wireCollection() {
    m_collection.reset(new Collection(*this));
    connect(Command1, &QPushButton::clicked, this, &Form1::collectFootprints);
    connect(Text1, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_collection->schedule().Text1_Change(text); });
}

bool Form1::runMayStart() const {
    // A load or a save between rows pumps events (a memo save does); a run started then would
    // sort and rewrite the table under it.
    return m_collection->collector() && Command1->isEnabled() && !FilesBusy();
}

void Form1::collectFootprints() {
    if (runMayStart()) {
        m_collection->collector()->collectFootprints();
    }
}

void Form1::LoadSettings() {
    ::LoadSettings(m_platform, *m_collection);
    const QString serviceUrl = ReadServiceUrl(m_platform);
    m_collection->setCollectionAddress(FootprintPages::fromServiceUrl(serviceUrl));
    setServiceAddress(serviceUrl);
}

void Form1::SaveSettings() {
    ::SaveSettings(m_platform, *m_collection);
}

void Form1::Timer1_Timer() {
    m_collection->schedule().Timer1_Timer();
}

void Form1::Timer2_Timer() {
    m_collection->schedule().Timer2_Timer();
}

Form1::Collection::Collection(Form1& form)
    : m_form(form),
      m_browser(form.platform()),
      m_schedule(form.platform(), *this, form.WaitTime, form.ElapsedMinutes) {
    m_browser.setObjectName(QStringLiteral("WebBrowser1"));
}

Form1::Collection::~Collection() = default;

void Form1::Collection::setCollectionAddress(const FootprintPages& address) {
    m_collector.reset();
    m_collector = std::make_unique<Collector>(m_form.platform(), *this, address);
}

void Form1::Collection::SetPanelText(int panel, const QString& text) {
    m_form.SetPanelText(panel, text);
}

void Form1::Collection::MsgBox(const QString& prompt, MsgBoxIcon icon, const QString& title) {
    // A scheduled run finds the window hidden in the tray; a box of its own still shows there.
    m_form.platform().dialogs->MsgBox(m_form.isVisible() ? &m_form : nullptr, prompt, icon, title);
}

void Form1::Collection::setCollectAvailable(bool enabled) {
    m_form.Command1->setEnabled(enabled);
}

void Form1::Collection::setBusy(bool busy) {
    m_form.setBusy(busy);
}

void Form1::Collection::resetElapsedMinutes() {
    m_form.ElapsedMinutes = 0;
}

int Form1::Collection::retrievalMethod() const {
    return m_form.GetOpt[0]->isChecked() ? 0 : 1;
}

void Form1::Collection::setRetrievalMethod(int index) {
    setGetOptSelected(index, true);
}

int Form1::Collection::alarmOption() const {
    return m_form.AlarmChk->Value();
}

VisitorTable& Form1::Collection::visitorTable() {
    return m_form.table();
}

int Form1::Collection::rankingRowCount() const {
    return m_form.ranking().rowCount();
}

void Form1::Collection::RefreshRanking() {
    m_form.RefreshRanking();
}

QString Form1::Collection::dataPath() const {
    return m_form.DataPath;
}

void Form1::Collection::SaveDataFile(const QString& path, bool IsFallback) {
    m_form.SaveDataFile(path, IsFallback);
}

void Form1::Collection::showNotice(const QString& message) {
    Form2::ShowNotice(m_form.platform(), &m_form, message);
}

bool Form1::Collection::command1Enabled() const {
    return m_form.runMayStart();
}

void Form1::Collection::collectFootprints() {
    if (m_collector) {
        m_collector->collectFootprints();
    }
}

void Form1::Collection::setTimer2Enabled(bool enabled) {
    if (enabled) {
        m_form.Timer2->start();
    } else {
        m_form.Timer2->stop();
    }
}

QString Form1::Collection::text1() const {
    return m_form.Text1->text();
}

void Form1::Collection::setText1(const QString& text) {
    // textChanged runs the change handler when the text differs, as typing does.
    m_form.Text1->setText(text);
}

CheckBox* Form1::Collection::checkBox(SettingsCheckBox box) const {
    switch (box) {
        case SettingsCheckBox::IEOpenChk:
            return m_form.IEOpenChk;
        case SettingsCheckBox::AlarmChk:
            return m_form.AlarmChk;
        case SettingsCheckBox::BatsuChk:
            return m_form.BatsuChk;
        case SettingsCheckBox::BootGetChk:
            return m_form.BootGetChk;
    }
    return m_form.IEOpenChk;
}

int Form1::Collection::checkState(SettingsCheckBox box) const {
    return checkBox(box)->Value();
}

void Form1::Collection::setCheckState(SettingsCheckBox box, int state) {
    checkBox(box)->setValue(state);
}

bool Form1::Collection::getOptSelected(int index) const {
    return index >= 0 && index < int(m_form.GetOpt.size()) &&
           m_form.GetOpt[size_t(index)]->isChecked();
}

void Form1::Collection::setGetOptSelected(int index, bool selected) {
    if (index < 0 || index >= int(m_form.GetOpt.size())) {
        return;
    }
    QRadioButton* option = m_form.GetOpt[size_t(index)];
    if (selected) {
        option->setChecked(true);
        return;
    }
    // A button of an option pair refuses to be cleared on its own; cleared, it selects neither,
    // and the settings select the other next.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}
