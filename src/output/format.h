#pragma once
// Fixed-width number texts of the report and the chart. All pure; every text is ASCII.

#include "routing/round2.h"

#include <QString>

namespace m4 {

/// x rounded with floor(x + 0.5), written as NumStr, right-aligned in n characters; a longer
/// text loses its leftmost characters.
QString Using(double x, int n);
/// x with 1..5 decimals (halves away from zero), right-aligned in n characters.
QString Using1(double x, int n);
QString Using2(double x, int n);
QString Using3(double x, int n);
QString Using4(double x, int n);
QString Using5(double x, int n);
/// A blank or "-", then at most 15 significant digits, no "0" before the point (" .5").
QString NumStr(double x);
/// The digits with "-" when negative and "0" before the point ("0.5").
QString NumPlain(double x);
/// NumStr(x) and one blank.
QString NumItem(double x);

/// Characters past the end of its field that writeUsing and writeUsingDecimals may overwrite:
/// short numbers are stored a machine word at a time.
inline constexpr int kFieldSlack = 16;

/// Writes Using(x, n) at out and returns the end of what it wrote: the report lays its lines
/// out in place, so no number needs a string of its own. out has room for n + kFieldSlack
/// characters; those after the returned end are left undefined.
char* writeUsing(char* out, double x, int n);
/// Writes Using1..Using5 (decimals 1..5) of x in n characters at out, with the same room;
/// returns the end.
char* writeUsingDecimals(char* out, double x, int decimals, int n);
/// writeUsingDecimals with two decimals, the report's numbers.
char* writeUsing2(char* out, double x, int n);

} // namespace m4
