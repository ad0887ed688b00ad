#pragma once

#include <QString>

// The folder of the running executable, found from its own resolved path.
QString ApplicationDirectory();

// A file the program keeps, written the way the program names them, "\zodadud_data.dat": that
// name in `folder`.
QString AppFilePath(const QString& folder, const QString& backslashName);

// A path as the user should read it, with the platform's separators.
QString DisplayPath(const QString& path);
