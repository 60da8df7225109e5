#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xkm {

// Splits a command line into argv by the Microsoft C runtime rules:
// argv[0] runs up to the next quote when it starts with one (the quotes are
// dropped), else up to the next blank or tab; then, for the other arguments,
// blanks and tabs separate, quotes group, 2n backslashes before a quote give n
// backslashes and the quote toggles quoting, 2n+1 give n backslashes and a
// literal quote, backslashes not before a quote are literal, and "" inside a
// quoted run gives a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace xkm
