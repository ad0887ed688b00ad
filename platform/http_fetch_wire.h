// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include "platform/cookie.h"
#include "platform/network_access.h"

// How a page load ended. Anything but Complete means the page did not arrive and nothing of its
// body may be used.
struct FetchResult {
    enum class Outcome {
        Complete,          // a 2xx answer, whole
        HostNotFound,      // the name cannot be resolved
        ConnectionFailed,  // refused, reset or closed before the answer was whole; also the fetch
                           // helper missing, not starting, dying or talking nonsense
        TimedOut,          // no connection within the connect time-out, or not whole in time
        TlsFailed,         // the secure connection could not be set up
        HttpError,         // an HTTP status of 300 or more that was not followed
        TooLarge,          // the decoded body passed kMaxBodyBytes
        RedirectRefused,   // a redirect to another scheme or host, or one too many
        BadAddress,        // not an http or https address
        WriteFailed,       // the receiver refused the body (a file that cannot be written)
        Aborted,           // stopped by the caller
    };
    static constexpr Outcome kLastOutcome = Outcome::Aborted;

    // A page larger than this, compressed or not, is not a footprint page.
    static constexpr qint64 kMaxBodyBytes = 4 * 1024 * 1024;

    Outcome outcome = Outcome::Complete;
    // The HTTP status of the last answer; 0 when none arrived.
    int httpStatus = 0;
    // The address the last request went to, after the redirects that were followed.
    QUrl finalUrl;
    // Where a refused redirect pointed.
    QUrl refusedRedirect;
    QByteArray contentType;
    // The network layer's own words for a failure, for the log.
    QString detail;

    bool complete() const { return outcome == Outcome::Complete; }
};

// What the program and the fetch helper (kestrelview-fetch) say to each other over its stdin and
// stdout: frames of a kind byte, a 32-bit big-endian length and that many bytes. The program sends
// one Request; the helper answers with Head (status and address of the final answer, before its
// first body piece), Body pieces as they arrive, and one Result, then ends.
enum class FetchFrame : char {
    Request = 'Q',
    Head = 'H',
    Body = 'B',
    Result = 'R',
};

// A frame longer than this is garbage: no request or body piece comes near it.
inline constexpr qint64 kMaxFetchFrameBytes = FetchResult::kMaxBodyBytes + 1024 * 1024;

struct FetchRequest {
    QUrl url;
    QList<Cookie> cookies;
    NetworkAccess network;
};

QByteArray EncodeFetchFrame(FetchFrame kind, const QByteArray& payload);

// Splits a byte stream into frames as its pieces come.
class FetchFrameReader {
  public:
    void append(const QByteArray& bytes) { m_buffer += bytes; }
    // The next whole frame, if one has arrived; false also when the stream is garbled.
    bool next(FetchFrame* kind, QByteArray* payload);
    // A frame of no known kind or of an impossible length arrived: nothing after it can be read.
    bool garbled() const { return m_garbled; }
    // Bytes of a frame that has not arrived whole.
    bool pending() const { return !m_buffer.isEmpty(); }

  private:
    QByteArray m_buffer;
    bool m_garbled = false;
};

QByteArray EncodeFetchRequest(const FetchRequest& request);
bool DecodeFetchRequest(const QByteArray& payload, FetchRequest* request);

QByteArray EncodeFetchResult(const FetchResult& result);
bool DecodeFetchResult(const QByteArray& payload, FetchResult* result);
