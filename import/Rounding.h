#pragma once

namespace tramelo {

// Rounds a stop coordinate to two decimals the way printing it with "%1.2lf" and reading the
// text back does on the systems the data comes from: the value's decimal form with 17
// significant digits (correctly rounded) is cut after the second decimal and raised by one
// unit of that decimal when the next digit is 5 or more (ties away from zero); the text is
// parsed back to the nearest double. This is not rounding the exact binary value: 2.125
// gives 2.13, and 1.075 (held as 1.07499999999999995559, printed 1.0750000000000000)
// gives 1.08.
// Infinities and NaN come through unchanged; a negative value that rounds to zero gives -0.0.
double RoundToTwoDecimals(double value);

// The same through the decimal text itself, for any value; RoundToTwoDecimals gives the same
// result faster for the usual magnitudes of coordinates.
double RoundToTwoDecimalsByText(double value);

}  // namespace tramelo
