// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

// Reading the registry: open a key, query a typed value, close the key. The calls keep the
// contract of the Windows functions of the same names; the data of a text value is in the
// system code page, which on Linux is UTF-8.

using HKEY = quint32;
using LONG = qint32;
using DWORD = quint32;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

constexpr DWORD KEY_QUERY_VALUE = 0x0001;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

class Registry {
  public:
    virtual ~Registry() = default;

    // Opens `subKey` under `root`; ERROR_SUCCESS and the key's handle in `result`, or an error.
    virtual LONG RegOpenKeyEx(HKEY root, const QString& subKey, DWORD options, DWORD samDesired,
                              HKEY* result) = 0;
    // Queries a value of an open key; "" names the key's default value. With `data` null only
    // the type and the size in bytes are returned. Otherwise `*size` is the room at `data` on
    // entry: the data is copied when it fits (ERROR_SUCCESS, `*size` the bytes copied), and
    // ERROR_MORE_DATA with the size needed when it does not. A text value's size counts its
    // terminating NUL.
    virtual LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* type, char* data,
                                 DWORD* size) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

// The registry as a Linux desktop can answer it: only the https protocol class under
// HKEY_CLASSES_ROOT, made from the desktop's default https application as GIO finds it.
// "https\shell" holds the verb "open" and "https\shell\open\command" the application's command
// as a template with "%1"; both are looked up afresh at every open. Every other key fails to
// open with ERROR_FILE_NOT_FOUND, and so does the command key when the application's command
// cannot be written as a template.
std::unique_ptr<Registry> createLinuxRegistry();
