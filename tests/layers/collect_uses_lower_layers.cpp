// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Must compile: collect/ reaches its own headers and those of the layers below it.
#include "collect/new_visit.h"
#include "platform/clock.h"
#include "visitors/visitor_table.h"
