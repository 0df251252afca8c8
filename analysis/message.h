// SPDX-License-Identifier: GPL-3.0-or-later
// A sentence for the user with its figures kept apart, so that a program
// can show it in the user's language (the English text is the source the
// translations are made from) and a script can have the English one. The
// figures are already written, with '.' as the decimal point.
#pragma once

#include <string>
#include <vector>

// Marks a text for the translation tools without needing them here.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, text) text
#endif

struct Message {
    const char *context = "";  // the translation context
    const char *text = "";     // English, with %1, %2 ... for the figures
    std::vector<std::string> args;
};

// The text with its figures put in: %1 .. %9 replaced by the arguments.
std::string English(const Message &m);

// A number with the given decimals and '.' as the decimal point.
std::string Fixed(double v, int decimals);
