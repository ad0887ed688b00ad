// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <optional>

// The scheme, host and port of `address` ("http://127.0.0.1:8080"), in lower case and without any
// user name, path, query or fragment, when it is an absolute http or https address with a host
// (blanks around it do not count); nullopt for anything else.
std::optional<QString> HttpOrigin(const QString& address);
