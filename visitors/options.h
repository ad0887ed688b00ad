// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

// The options the window offers, as the program passes them around; "setting.ini" keeps them as
// numbers (see app/settings.cpp).

// A check box: unticked, ticked, or dimmed (neither, as a settings file may say).
enum class Tick { Unticked = 0, Ticked = 1, Dimmed = 2 };

// How a footprint page is fetched: "方法1" downloads it, "方法2" loads it in the built-in browser.
enum class RetrievalMethod { Download, Browser };
