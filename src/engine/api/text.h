// printf-style formatting into a string.
// Public: the GIS formats its messages and figures with it.
#ifndef TARVEX_TEXT_H
#define TARVEX_TEXT_H

#include <cstdarg>
#include <string>

// Lets the compiler check printf-style arguments where it can.
#if defined(__GNUC__) || defined(__clang__)
#define TARVEX_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define TARVEX_PRINTF(fmt_index, first_arg)
#endif

std::string strf(const char* fmt, ...) TARVEX_PRINTF(1, 2);
std::string vstrf(const char* fmt, va_list args);

#endif
