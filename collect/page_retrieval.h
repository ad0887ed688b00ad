#pragma once

#include <QString>

class Clock;
class FileStore;
class StatusPanels;
struct Platform;

// The browser's own page for a host name that cannot be resolved. Any text holding this, however
// it goes on, is that page.
inline const QString kDnsErrorPattern =
    QStringLiteral("サーバーが見つからないか、DNS エラーです。<BR>Internet Explor");

// Fetches `url` into `path` with the system's download service, lets pending events run and
// shows in status panel 1 whether the call succeeded. The result is not handed on: whether a file
// arrived is what counts.
void DownloadToFile(Platform& platform, StatusPanels& panels, const QString& url,
                    const QString& path);

// Writes `bodyMarkup` into a new file at `path` as one quoted text record: a double quote, the
// text, a double quote, CR LF, in CP932. A failure is swallowed: the file may then be missing.
void ReadBrowserPage(FileStore& files, const QString& bodyMarkup, const QString& path);

// The file's lines joined with nothing between them, pausing 1 ms after each line so the window
// keeps handling its events. A file that cannot be opened gives an empty text.
QString ReadWholeFile(Clock& clock, const QString& path);
