#pragma once

#include <cstddef>
#include <string>

// Unicode-aware text helpers for key texts (UTF-8 in, UTF-8 out).
namespace ondrel::shortcuts {

/// Each word's first letter in title case, every other letter in lower case.
std::string capitalized(const std::string& text);
/// Every letter in lower case.
std::string lowercased(const std::string& text);
/// Number of user-perceived characters (grapheme clusters).
std::size_t graphemeCount(const std::string& text);

} // namespace ondrel::shortcuts
