// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <map>
#include <memory>

class QSocketNotifier;
struct Platform;

// One running copy per data folder. Two copies on one folder would each save their whole table
// over the other's, so the first start holds a lock file in the folder and listens on a local
// socket named from it; a later start asks that copy to come to the front and ends.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Claim {
        Running,      // this copy holds the folder and listens for later starts
        RaisedOther,  // the copy holding the folder came to the front
        OtherSilent,  // a live copy holds the folder but did not answer in time
    };

    // How long a later start waits for the running copy's answer.
    static constexpr int kAnswerTimeoutMs = 3000;

    explicit SingleInstance(const QString& dataFolder, int answerTimeoutMs = kAnswerTimeoutMs);
    ~SingleInstance() override;

    // Takes the folder, or failing that asks the copy holding it to come to the front. A lock
    // left by a copy that was killed does not count.
    Claim claim();

    // The socket name for a folder: socket names are global, so it is made from the folder's
    // canonical path and the user.
    static QString serverName(const QString& dataFolder);
    static QString lockFileName() { return QStringLiteral("kestrelview.lock"); }

  Q_SIGNALS:
    // A later start on the same folder asked this copy to come to the front.
    void activationRequested();

  private:
    void listen();
    void acceptStarts();
    void readStart(int socket);
    void dropStart(int socket);
    bool askRunningCopy();

    QString m_folder;
    int m_answerTimeoutMs;
    QLockFile m_lock;
    // A Unix socket of our own rather than Qt's local server, which would bring in Qt Network.
    int m_server = -1;
    // The socket file this copy put in place, and its inode, so that it removes only its own.
    QByteArray m_socketPath;
    quint64 m_socketInode = 0;
    std::unique_ptr<QSocketNotifier> m_serverReady;
    struct Start {
        std::unique_ptr<QSocketNotifier> ready;
        QByteArray said;
    };
    std::map<int, Start> m_starts;  // later starts talking to us, by socket
};

// What a start does about the copy already running on its folder. True: this copy goes on.
// False: it ends with `*status`, having raised the other copy (0) or told the user it is there
// but silent (1).
bool ClaimDataFolder(SingleInstance& instance, Platform& platform, int* status);
