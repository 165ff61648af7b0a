// Upper-casing of Windows-1251 text the way the data's ANSI code page does it:
// Latin and Cyrillic letters (Ё, Ў, Є, Ї, ...) change case, everything else stays.
#pragma once

#include <string>
#include <string_view>

std::string UpperCp1251(std::string_view text);
// Equal after both are upper-cased.
bool SameTextCp1251(std::string_view a, std::string_view b);
