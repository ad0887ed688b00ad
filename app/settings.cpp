// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/settings.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/profile_file.h"

namespace {

const QString kSection = QStringLiteral("Setting");
// The desktop notice of new visits: 1 on, anything else off.
const QString kNotify = QStringLiteral("Notify");

struct CheckKey {
    SettingsCheckBox box;
    const char16_t* key;
};

constexpr CheckKey kIE{SettingsCheckBox::OpenInIe, u"IE"};
constexpr CheckKey kAfterMethod[] = {{SettingsCheckBox::Alarm, u"Alarm"},
                                     {SettingsCheckBox::MinimiseOnClose, u"Batsu"},
                                     {SettingsCheckBox::CollectAtStart, u"BootGet"}};

void loadCheck(SettingsControls& controls, const CheckKey& check, const QString& file) {
    const qint32 state = GetIniInt(QString::fromUtf16(check.key), 0, file);
    // The file keeps 0 unticked, 1 ticked, 2 dimmed; any other number leaves the box as it was.
    if (state >= 0 && state <= 2) {
        controls.setCheckState(check.box, Tick(state));
    }
}

bool saveCheck(Platform& platform, const SettingsControls& controls, const CheckKey& check,
               const QString& file) {
    return WriteIniString(*platform.files, QString::fromUtf16(check.key),
                          QString::number(int(controls.checkState(check.box))), file);
}

}  // namespace

QString SettingFilePath(const Platform& platform) {
    return AppFilePath(platform.dataFolder, QStringLiteral("\\setting.ini"));
}

qint32 GetIniInt(const QString& key, qint32 defaultValue, const QString& fileName) {
    return ReadProfileInt(kSection, key, defaultValue, fileName);
}

bool WriteIniString(FileStore& files, const QString& key, const QString& value,
                    const QString& fileName) {
    return WriteProfileString(files, kSection, key, value, fileName);
}

void LoadSettings(const Platform& platform, SettingsControls& controls) {
    const QString file = SettingFilePath(platform);
    const QString waitTime = QString::number(GetIniInt(QStringLiteral("WaitTime"), 30, file));
    if (waitTime != controls.intervalText()) {
        controls.setIntervalText(waitTime);
    }
    loadCheck(controls, kIE, file);
    // GetOpt: any number but 0 downloads (the file says -1), 0 uses the built-in browser.
    controls.setRetrievalMethodSelected(RetrievalMethod::Download,
                                        GetIniInt(QStringLiteral("GetOpt"), 1, file) != 0);
    controls.setRetrievalMethodSelected(
        RetrievalMethod::Browser, !controls.retrievalMethodSelected(RetrievalMethod::Download));
    for (const CheckKey& check : kAfterMethod) {
        loadCheck(controls, check, file);
    }
    controls.setNewVisitNotices(GetIniInt(kNotify, 0, file) == 1);
}

bool SaveSettings(Platform& platform, const SettingsControls& controls) {
    const QString file = SettingFilePath(platform);
    bool saved =
        WriteIniString(*platform.files, QStringLiteral("WaitTime"), controls.intervalText(), file);
    saved &= saveCheck(platform, controls, kIE, file);
    saved &= WriteIniString(*platform.files, QStringLiteral("GetOpt"),
                            controls.retrievalMethodSelected(RetrievalMethod::Download)
                                ? QStringLiteral("-1")
                                : QStringLiteral("0"),
                            file);
    for (const CheckKey& check : kAfterMethod) {
        saved &= saveCheck(platform, controls, check, file);
    }
    // Written only once it means something: a file of a user who never ticked it stays as it was.
    const bool notify = controls.newVisitNotices();
    if (notify || GetIniInt(kNotify, 0, file) != 0) {
        saved &= WriteIniString(*platform.files, kNotify,
                                notify ? QStringLiteral("1") : QStringLiteral("0"), file);
    }
    // Said in the log alone: the program is ending, perhaps with the session, and no message box
    // may hold it.
    if (!saved) {
        platform.log.write(QStringLiteral("設定の保存失敗 ") + DisplayPath(file) +
                           QStringLiteral(" (前の設定のまま)"));
    }
    return saved;
}

QString ReadServiceUrl(const Platform& platform) {
    return ReadProfileString(kSection, QStringLiteral("ServiceUrl"), QString(),
                             SettingFilePath(platform));
}
