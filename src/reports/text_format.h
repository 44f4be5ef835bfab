#pragma once
// printf-style formatting into a std::string, for the report texts whose formats are fixed.
#include <string>

namespace meridane {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace meridane
