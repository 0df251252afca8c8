// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-off marker "kesto.inf": present while a measurement program
// started by the viewer runs. Only its existence matters.
#pragma once

#include <string>

constexpr const char *HANDOFF_MARKER_NAME = "kesto.inf";

enum class HandoffCreate {
    Created,  // this call made the marker
    Exists,   // a marker was already there
    Error,    // it could not be made
};

// dir is the directory of the marker; empty means the current directory.

// Creates the marker with the word "kesto" and its zero byte. Creation is
// exclusive, so of two callers racing only one sees Created. On Error the
// system's error number goes to *error when given.
HandoffCreate CreateHandoffMarker(const std::string &dir = {}, int *error = nullptr);

// 1 when the marker exists, 0 when it does not, -1 when that cannot be told.
int HandoffMarkerExists(const std::string &dir = {});

// Removes the marker; true when it is gone afterwards (a missing marker too).
bool DeleteHandoffMarker(const std::string &dir = {});
