// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Must not compile: platform/ lies below visitors/, so the visitors headers are out of its reach.
#include "visitors/visitor_table.h"
