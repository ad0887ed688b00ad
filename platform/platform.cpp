// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/platform.h"

Platform::Platform() = default;
Platform::~Platform() = default;
