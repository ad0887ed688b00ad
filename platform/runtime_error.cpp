// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/runtime_error.h"

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number),
      m_description(std::move(description)),
      m_what(
          QString::number(number).append(QLatin1String(": ")).append(m_description).toStdString()) {
}

RuntimeError RuntimeError::invalidCall() {
    return {5, QStringLiteral("プロシージャの呼び出し、または引数が不正です。")};
}
RuntimeError RuntimeError::overflow() {
    return {6, QStringLiteral("オーバーフローしました。")};
}
RuntimeError RuntimeError::subscriptOutOfRange() {
    return {9, QStringLiteral("インデックスが有効範囲にありません。")};
}
RuntimeError RuntimeError::typeMismatch() {
    return {13, QStringLiteral("型が一致しません。")};
}
RuntimeError RuntimeError::fileNotFound() {
    return {53, QStringLiteral("ファイルが見つかりません。")};
}
RuntimeError RuntimeError::permissionDenied() {
    return {70, QStringLiteral("書き込みできません。")};
}
RuntimeError RuntimeError::badFileName() {
    return {75, QStringLiteral("パス名/ファイル名が無効です。")};
}
