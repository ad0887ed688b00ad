// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Must not compile: platform/ lies below app/, so the app headers are out of its reach.
#include "app/startup_registration.h"
