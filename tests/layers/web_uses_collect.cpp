// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Must not compile: web/ lies below collect/, so the collect headers are out of its reach.
#include "collect/footprint_parser.h"
