// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// One key written into a settings file: the input is a section, a key and a value (each cut by
// FuzzedDataProvider, a backslash and another byte ending one) followed by the file's bytes. The
// key must read back as written and every other key the file names must read as before.

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/conversions.h"
#include "platform/file_store.h"
#include "platform/profile_file.h"
#include "platform/text_codec.h"

namespace {

enum class Form { Cp932, Utf8, Utf16Le };

Form formOf(const QByteArray& file) {
    if (file.startsWith("\xEF\xBB\xBF")) {
        return Form::Utf8;
    }
    return file.startsWith("\xFF\xFE") ? Form::Utf16Le : Form::Cp932;
}

QString decode(Form form, const QByteArray& bytes) {
    switch (form) {
        case Form::Utf8:
            return QString::fromUtf8(bytes);
        case Form::Utf16Le:
            return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes);
        case Form::Cp932:
            break;
    }
    return DecodeCp932(bytes);
}

QByteArray encode(Form form, const QString& text) {
    switch (form) {
        case Form::Utf8:
            return text.toUtf8();
        case Form::Utf16Le:
            return QStringEncoder(QStringEncoder::Utf16LE).encode(text);
        case Form::Cp932:
            break;
    }
    return EncodeCp932(text);
}

bool fitsIn(Form form, const QString& text) {
    return decode(form, encode(form, text)) == text;
}

// The program's own reading of the blanks around a name or a value.
QString trimmed(const QString& text) {
    return TrimBlanks(text).toString();
}

// A name that the file can hold on one line and that reads back as the same name.
bool usableName(const QString& name, Form form) {
    return !name.contains(u'\r') && !name.contains(u'\n') && !name.contains(u'=') &&
           !name.contains(u']') && !trimmed(name).startsWith(u';') &&
           !trimmed(name).startsWith(u'[') && fitsIn(form, name);
}

bool sameName(const QString& a, const QString& b) {
    return trimmed(a).compare(trimmed(b), Qt::CaseInsensitive) == 0;
}

struct Probe {
    QString section;
    QString key;
    QString before;
};

// The section and key names the file's lines seem to hold; the reader decides what they are.
std::vector<Probe> probesOf(const QByteArray& file, Form form) {
    std::vector<Probe> probes;
    const QString text = decode(form, file);
    QString section;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString t = trimmed(line);
        if (t.startsWith(u'[')) {
            section = t.sliced(1).section(u']', 0, 0);
        } else if (const qsizetype equals = line.indexOf(u'='); equals >= 0) {
            probes.push_back({section, line.first(equals), {}});
        }
        if (probes.size() >= 32) {
            break;
        }
    }
    return probes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    FuzzedDataProvider data(bytes, size);
    const QString section = fuzz::takeText(data, 24);
    const QString key = fuzz::takeText(data, 24);
    const QString value = fuzz::takeText(data, 48);
    const std::string rest = data.ConsumeRemainingBytesAsString();
    const QByteArray file(rest.data(), qsizetype(rest.size()));

    const QString path = fuzz::scratchPath(QStringLiteral("setting.ini"));
    fuzz::writeFile(path, file);
    const Form form = formOf(file);
    std::vector<Probe> probes = probesOf(file, form);
    const QString missing = QStringLiteral("\x01missing");
    for (Probe& probe : probes) {
        probe.before = ReadProfileString(probe.section, probe.key, missing, path);
    }

    std::unique_ptr<FileStore> files = createLinuxFileStore();
    if (!WriteProfileString(*files, section, key, value, path)) {
        return 0;
    }
    if (usableName(section, form) && usableName(key, form) && fitsIn(form, value)) {
        QString oneLine = value;
        oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
        const QString read = ReadProfileString(section, key, missing, path);
        KV_FUZZ_CHECK(
            read == trimmed(oneLine),
            QStringLiteral("[%1] %2 wrote \"%3\", read \"%4\"").arg(section, key, value, read));
    }
    for (const Probe& probe : probes) {
        if (sameName(probe.section, section) && sameName(probe.key, key)) {
            continue;
        }
        const QString after = ReadProfileString(probe.section, probe.key, missing, path);
        KV_FUZZ_CHECK(after == probe.before,
                      QStringLiteral("writing [%1] %2 changed [%3] %4 from \"%5\" to \"%6\"")
                          .arg(section, key, probe.section, probe.key, probe.before, after));
    }
    return 0;
}
