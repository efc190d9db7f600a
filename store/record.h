// Reading and writing field values inside a record image (flag byte + fields), with the
// field rules of the catalogue: character fields space padded and cut to width, logical
// T/F (blank reads false), numbers right-aligned and refused when too wide.
#pragma once

#include "dbf.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rk::dbf {

// The stored bytes of a field, padding included.
std::string_view rawField(std::string_view image, const FieldDef& f);
// The stored text without trailing blanks.
std::string_view trimmedField(std::string_view image, const FieldDef& f);

bool isDeleted(std::string_view image);
void setDeleted(std::string& image, bool deleted);

// T, t, Y, y read true; F, f, N, n, '?' and blank read false.
bool getLogical(std::string_view image, const FieldDef& f);
// The field's number; blank reads 0; text that is not a number reads as far as it is one.
double getNumber(std::string_view image, const FieldDef& f);
// The number as a 16-bit signed integer, wrapping as a 16-bit store would.
int16_t getInt16(std::string_view image, const FieldDef& f);
Date getDate(std::string_view image, const FieldDef& f);

// Text cut to the field's width and padded with spaces (character fields).
void setString(std::string& image, const FieldDef& f, std::string_view text);
void setLogical(std::string& image, const FieldDef& f, bool value);
// Right-aligned with the field's decimals; InvalidArgument when the number does not fit.
Status setNumber(std::string& image, const FieldDef& f, double value);
void setDate(std::string& image, const FieldDef& f, const Date& d);
void setBlank(std::string& image, const FieldDef& f);

// A byte that no field may hold: the C0 controls (TAB, CR and LF among them), DEL, and the
// five bytes that Windows-1252 leaves undefined, which read as C1 controls. A field is one line
// of text; every way into a table (rkdb, the windows, the import) refuses these.
bool isControlByte(unsigned char c);
// InvalidArgument naming the character and the field when `text` holds a control byte.
Status checkFieldText(const FieldDef& f, std::string_view text);

// Parses text as a value of the field's type and stores it: any text without control bytes
// for C; a number for N and F (empty stores blank); T/F/Y/N/true/false for L; YYYYMMDD or
// YYYY-MM-DD for D.
Status setFromText(std::string& image, const FieldDef& f, std::string_view text);
// The value as text for listing: trimmed character text, the number as stored without
// padding, T or F, YYYYMMDD.
std::string displayText(std::string_view image, const FieldDef& f);

} // namespace rk::dbf
