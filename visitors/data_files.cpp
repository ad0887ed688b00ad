// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/data_files.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "platform/text_codec.h"
#include "visitors/ranking_model.h"
#include "visitors/status_panels.h"
#include "visitors/visitor_table.h"

namespace {

const QChar kTab = u'\t';
const QChar kComma = u',';

QString absolutePath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// Splits text into lines: CR LF, a lone CR and a lone LF each end a line. A last line without a
// line end is a line; the line end after the last line does not start another.
QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.sliced(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines.append(text.sliced(start));
    }
    return lines;
}

// RAII for the "a load or a save is between rows" flag.
class BusyScope {
  public:
    explicit BusyScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~BusyScope() { --m_depth; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    int& m_depth;
};

}  // namespace

VisitorFiles::VisitorFiles(Platform& platform, VisitorTable& table, const RankingModel& ranking,
                           StatusPanels& panels)
    : m_platform(platform), m_table(table), m_ranking(ranking), m_panels(panels) {}

bool VisitorFiles::SaveDataFile(const QString& path, bool IsFallback) {
    return save(path, IsFallback, kTab);
}

bool VisitorFiles::SaveCsvFile(const QString& path, bool IsFallback) {
    return save(path, IsFallback, kComma);
}

void VisitorFiles::TAB_FileLoad(const QString& path) {
    load(path, kTab);
}

void VisitorFiles::CSV_FileLoad(const QString& path) {
    load(path, kComma);
}

bool VisitorFiles::save(const QString& path, bool isFallback, QChar separator) {
    BusyScope busy(m_busyDepth);
    m_panels.showStatus(1, QStringLiteral("保存中です..."));

    const qsizetype rows = std::min<qsizetype>(m_ranking.rowCount(), m_table.slotCount());
    bool ok = true;
    QString copyName;
    const bool replacesInexactFile = !isFallback && !m_inexactSource.isEmpty() &&
                                     absolutePath(path) == m_inexactSource &&
                                     QFileInfo(path).isFile();
    if (replacesInexactFile) {
        ok = keepUnreadCopy(path, &copyName);
    }
    // The file that could not be read at start-up still holds rows this table lacks.
    if (!isFallback && !m_unreadable.isEmpty() && absolutePath(path) == m_unreadable) {
        ok = false;
    }
    std::unique_ptr<OutputFile> file;
    if (ok) {
        file = m_platform.files->create(path);
        ok = file != nullptr;
    }
    if (ok) {
        report(0, rows);
    }
    for (qsizetype i = 0; ok && i < rows; ++i) {
        QByteArray line = EncodeCp932(FormatVisitorLine(m_table, i, separator));
        line += "\r\n";
        ok = file->write(line);
        WaitMilliseconds(*m_platform.clock, 1);
        report(i + 1, rows);
    }
    if (ok) {
        ok = file->commit();
    }
    file.reset();

    if (!ok && isFallback) {
        m_platform.log.write(QStringLiteral("保存失敗 ") + DisplayPath(path) +
                             QStringLiteral(" (代わりの保存先もなし)"));
    }
    if (!ok && !isFallback) {
        const QString fallback =
            AppFilePath(m_platform.dataFolder, QStringLiteral("\\setting.bak"));
        m_platform.log.write(QStringLiteral("保存失敗 ") + DisplayPath(path) +
                             QStringLiteral(" → 代わりに ") + DisplayPath(fallback));
        const bool keptInFallback = save(fallback, true, separator);
        m_platform.dialogs->message(
            m_dialogParent,
            QStringLiteral("ファイルの書き出しに失敗しました。\r\n") + DisplayPath(path) +
                QStringLiteral("をExcel等で開いたままでプログラムを実行しないでください"),
            MessageIcon::None, QStringLiteral("書き込みエラー"));
        // The rows are then only in memory: the user must not believe them kept in the fallback.
        if (!keptInFallback) {
            m_platform.dialogs->message(
                m_dialogParent,
                QStringLiteral("代わりの保存先にも書き出せませんでした。\r\n") +
                    DisplayPath(fallback) +
                    QStringLiteral("\r\nディスクの空きを確認してください。"),
                MessageIcon::None, QStringLiteral("書き込みエラー"));
        }
    }
    m_panels.showStatus(1, QStringLiteral("Ready"));

    if (ok && replacesInexactFile) {
        // The file now holds what the table holds; the copy keeps what it did not.
        m_inexactSource.clear();
        m_platform.dialogs->message(
            m_dialogParent,
            QStringLiteral("データファイルの一部を読み込めませんでした。元のファイルを「") +
                copyName + QStringLiteral("」として保存しました。"),
            MessageIcon::None, QStringLiteral("Kestrelview"));
    }
    return ok;
}

void VisitorFiles::report(qsizetype done, qsizetype total) const {
    if (m_progress) {
        m_progress(done, total);
    }
}

bool VisitorFiles::keepUnreadCopy(const QString& path, QString* copyName) {
    // A copy made at an earlier, failed save still holds the file as it was loaded.
    if (!m_unreadCopy.isEmpty() && QFileInfo(m_unreadCopy).isFile()) {
        *copyName = QFileInfo(m_unreadCopy).fileName();
        return true;
    }
    QString target = path + QStringLiteral(".unread");
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target = path + QStringLiteral(".unread.") + QString::number(n);
    }
    if (!QFile::copy(path, target)) {
        return false;
    }
    m_unreadCopy = target;
    m_platform.log.write(QStringLiteral("複写 ") + DisplayPath(path) + QStringLiteral(" → ") +
                         DisplayPath(target) + QStringLiteral(" (読み込めなかった行を残すため)"));
    *copyName = QFileInfo(target).fileName();
    return true;
}

void VisitorFiles::load(const QString& path, QChar separator) {
    BusyScope busy(m_busyDepth);
    m_inexactSource.clear();
    m_unreadCopy.clear();
    m_unreadable.clear();

    QString reason;
    const std::unique_ptr<QIODevice> file = m_platform.files->openForReading(path, &reason);
    if (!file) {
        // A missing file (or a folder in its place) is an empty table; a file that is there but
        // cannot be opened still holds every row, so nothing may replace it in this run.
        if (QFileInfo(path).isFile()) {
            m_unreadable = absolutePath(path);
            m_platform.log.write(QStringLiteral("読み込み失敗 ") + DisplayPath(path) +
                                 QStringLiteral(" (") + reason + u')');
            m_platform.dialogs->message(m_dialogParent,
                                        QStringLiteral("データファイル「") + DisplayPath(path) +
                                            QStringLiteral("」を読み込めませんでした。(") + reason +
                                            u')',
                                        MessageIcon::Exclamation, QStringLiteral("Kestrelview"));
        }
        return;
    }
    const QByteArray bytes = file->readAll();
    const auto* fileDevice = qobject_cast<const QFileDevice*>(file.get());
    const bool readWhole = fileDevice ? fileDevice->error() == QFileDevice::NoError : file->atEnd();
    file->close();

    bool exact = readWhole;
    bool decodedExactly = true;
    const QStringList lines = splitLines(DecodeCp932(bytes, &decodedExactly));
    exact = exact && decodedExactly;

    m_table.RowCount = 0;
    report(0, lines.size());
    qsizetype next = 0;
    for (; next < lines.size(); ++next) {
        const QStringList fields = lines[next].split(separator);
        if (fields.size() < 4) {
            break;
        }
        try {
            m_table.SetVisitor(fields[0], fields[1], fields[2], fields[3],
                               fields.size() == 5 ? fields[4] : QString(), m_table.RowCount);
        } catch (const RuntimeError&) {
            break;
        }
        if (fields.size() != 5) {
            exact = false;
        }
        WaitMilliseconds(*m_platform.clock, 1);
        report(next + 1, lines.size());
    }
    // Lines the load did not reach are lost at the next save, unless they are only the empty
    // lines at the end of the file.
    for (qsizetype i = next; i < lines.size(); ++i) {
        if (!lines[i].isEmpty()) {
            exact = false;
        }
    }
    // Rows behind an empty slot are out of the ranking's and the saves' reach, and rows with a
    // count below 1 end up there after the next sort.
    for (qsizetype i = 0; i < m_table.RowCount; ++i) {
        if (m_table[i].Id == 0 || m_table[i].AccessCount < 1) {
            exact = false;
        }
    }
    if (!exact) {
        m_inexactSource = absolutePath(path);
    }
}
