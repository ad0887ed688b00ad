// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Must not compile: visitors/ lies below web/, so the web headers are out of its reach.
#include "web/browser_launcher.h"
