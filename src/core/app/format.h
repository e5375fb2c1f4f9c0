// Number-to-text forms used by every window, and the degree conversions.
//
// The windows show numbers in two ways: through digit masks ("#0.###",
// "#.0", "#0.0", "##0.00", "#0.0####", ...) and through the plain
// number-to-text form used in captions, which puts a blank before a
// non-negative number and no zero before the decimal point (" .5", " 1300",
// "-200"). Both always use "." as decimal point, whatever the locale, because
// the texts are also read back as numbers (Val, app/numbers.h).
#pragma once

#include <string>
#include <string_view>

namespace korventa {

// Formats x with a digit mask made of '#', '0' and at most one '.':
//  - integer part: at least as many digits as there are '0' before the point
//    ("#.0" gives ".5" for 0.5, "#0.0" gives "0.5");
//  - fraction: at least as many digits as there are '0' after the point, at
//    most as many as there are '0' and '#'; optional trailing zeros are
//    dropped, and so is a point with no digit after it ("#0.###": 5 -> "5").
// Rounding is half away from zero on the decimal value of x (x is first taken
// to 15 significant digits, so 0.0005 rounds to 0.001 although its binary
// value is slightly different). A result that rounds to zero never carries a
// minus sign. Other characters in the mask are ignored. NaN and infinities
// give "NaN", "Inf" and "-Inf".
std::string Format(double x, std::string_view mask);

// The plain number-to-text form: a blank before a non-negative number, "-"
// before a negative one, the shortest decimal text of x taken to 15
// significant digits, no zero before the point (0.5 -> " .5", 1300 ->
// " 1300", -200 -> "-200"). Magnitudes from 1E+15 up and below 1E-4 use the
// exponent form (" 1E+15", " 1.5E-05"). Negative zero gives " 0".
std::string Str(double x);

// Degree conversions. The device and the records hold Celsius; Fahrenheit
// exists on screen only. The text forms are formatted "#.0".
double CtoFValue(double c);      // c * 9 / 5 + 32
double FtoCValue(double f);      // (f - 32) * 5 / 9
double DiffCtoFValue(double c);  // a temperature difference: c * 9 / 5
double DiffFtoCValue(double f);  // f * 5 / 9
std::string CtoF(double c);
std::string FtoC(double f);
std::string DiffCtoF(double c);
std::string DiffFtoC(double f);
// The same on a text box's content (read with Val, app/numbers.h).
std::string CtoF(std::string_view c);
std::string FtoC(std::string_view f);
std::string DiffCtoF(std::string_view c);
std::string DiffFtoC(std::string_view f);

}  // namespace korventa
