#pragma once

#include <QString>

#include <optional>

// The scale as text: in the settings and in the window's Scale field.
// All of it in C notation, whatever the user's locale.

// The leading decimal number of a stored text, as C's strtod reads it; 0 when
// the text does not begin with a number.
double LeadingNumber(const QString &text);

// The number that a typed text is, apart from surrounding spaces; nothing
// when the text is anything else.
std::optional<double> WholeNumber(const QString &text);

// "%f": six decimals, so 2.5 is stored as 2.500000.
QString FormatScaleSetting(double scale);

// Whether a scale can be drawn and entered with and kept: a finite number
// whose "%f" text does not read back as zero. Such a scale (at least 5e-7 in
// size) gives every pixel of any window a finite radius, and every pixel off
// the centre a non-zero one.
bool IsUsableScale(double scale);

// General format with up to 15 significant digits, as the field shows it.
QString FormatScaleField(double scale);
