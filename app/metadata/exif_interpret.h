#pragma once
// Readable texts for the EXIF list: values and names as a person reads them. The control writes
// whole numbers in decimal, rationals as "n/d", undefined bytes as two-digit hexadecimal separated
// by "," and text as it stands; every rule here relies on that form. Names match exactly.
#include <QString>
#include <cstdint>

namespace metadata {

// The whole number before (after) the last "/" of a rational; 0 for a part that is missing or
// not a number. Blanks round a number are allowed and a fraction rounds halves to even.
int32_t fncRationalNumerator(const QString& value);
// Without a "/", the whole text is the denominator.
int32_t fncRationalDenominator(const QString& value);

// The value of a known attribute as readable text, or an empty text when the attribute is not
// interpreted or its value is damaged (the caller then shows the raw value).
QString fncEXIFInterpret(const QString& name, const QString& value);

// The display name of a known attribute, or an empty text (the caller then shows the raw name).
QString fncFormattedAttributed(const QString& name);

}  // namespace metadata
