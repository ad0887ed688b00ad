// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Conversion of 10 MB of Japanese text, clean and with one character in a thousand that the
// encoding cannot take: reading CP932, writing CP932, reading EUC-JP, and the EUC-JP file to CP932
// file conversion. The text with bad characters may take at most twice the clean one.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "bench/median.h"
#include "platform/charset_convert.h"
#include "platform/file_store.h"
#include "platform/text_codec.h"

namespace {

constexpr qsizetype kTextBytes = 10 * 1024 * 1024;
constexpr int kBadEvery = 1000;  // characters

// Footprint-page and data-file lines: kanji, kana, digits, ASCII and line ends.
QString cleanText() {
    const QString line = QStringLiteral(
        "山田太郎さん\t12345\t3\t2026年12月07日 22:19\tｶﾅのメモ①～\r\n"
        "<li><span class=\"date\">12月07日 11:58</span>足跡 鈴木花子</li>\r\n");
    return line.repeated(kTextBytes / EncodeCp932(line).size() + 1);
}

// `text` with every thousandth character replaced by `bad`.
QString withBadCharacters(QString text, QChar bad) {
    for (qsizetype i = kBadEvery - 1; i < text.size(); i += kBadEvery) {
        text[i] = bad;
    }
    return text;
}

// Bytes of `text` in `codec`, every thousandth character replaced by the byte 0xFF, which is
// neither CP932 nor EUC-JP.
QByteArray withBadBytes(const QString& text, const char* codec) {
    QStringEncoder encoder(codec);
    QByteArray bytes;
    bytes.reserve(kTextBytes + kTextBytes / 8);
    for (qsizetype i = 0; i < text.size(); i += kBadEvery) {
        const qsizetype n = std::min<qsizetype>(kBadEvery - 1, text.size() - i);
        bytes += encoder.encode(QStringView(text).sliced(i, n));
        if (i + n < text.size()) {
            bytes += '\xFF';
        }
    }
    return bytes;
}

double medianMs(const std::function<void()>& run) {
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    std::unique_ptr<FileStore> files = createLinuxFileStore();

    const QString text = cleanText();
    const QByteArray cp932 = EncodeCp932(text);
    const QByteArray badCp932 = withBadBytes(text, "windows-31j");
    const QByteArray eucJp = QStringEncoder("EUC-JP").encode(text);
    const QByteArray badEucJp = withBadBytes(text, "EUC-JP");
    const QString unmappable = withBadCharacters(text, QChar(0x20AC));  // euro sign
    const QString cleanEuc = dir.filePath(QStringLiteral("clean.txt"));
    const QString badEuc = dir.filePath(QStringLiteral("bad.txt"));
    writeFile(cleanEuc, eucJp);
    writeFile(badEuc, badEucJp);
    const QString target = dir.filePath(QStringLiteral("out.txt"));

    struct Case {
        const char* name;
        std::function<void()> clean;
        std::function<void()> bad;
    };
    const std::vector<Case> cases = {
        {"read CP932", [&] { DecodeCp932(cp932); }, [&] { DecodeCp932(badCp932); }},
        {"write CP932", [&] { EncodeCp932(text); }, [&] { EncodeCp932(unmappable); }},
        {"read EUC-JP", [&] { DecodeEucJp(eucJp); }, [&] { DecodeEucJp(badEucJp); }},
        {"EUC-JP file to CP932", [&] { (void)ConvertCharset(*files, cleanEuc, target); },
         [&] { (void)ConvertCharset(*files, badEuc, target); }},
    };

    std::printf("%.1f MB of text, one bad character in %d\n", double(cp932.size()) / 1048576.0,
                kBadEvery);
    std::printf("%-22s %10s %10s %8s\n", "conversion", "clean ms", "bad ms", "ratio");
    bool pass = true;
    for (const Case& c : cases) {
        const double clean = medianMs(c.clean);
        const double bad = medianMs(c.bad);
        const double ratio = bad / clean;
        std::printf("%-22s %10.1f %10.1f %7.2fx\n", c.name, clean, bad, ratio);
        pass = pass && ratio <= 2.0;
    }
    std::printf("%s: bad characters cost at most twice the clean conversion\n",
                pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
