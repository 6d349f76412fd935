// A recipe file for `apply --ops-file`: one OP a line; blank lines and lines whose
// first visible character is '#' are skipped.
#pragma once

#include <string>
#include <vector>

namespace batch {

// An OP as written and where it came from ("FILE:LINE" for a recipe line, empty for
// the command line), so that an error can point at its line.
struct OpText {
    std::string text;
    std::string where;
};

// Appends the recipe's OPs to `ops`; false with the reason in `error` when the file
// cannot be read or is larger than a recipe can be.
bool ReadOpsFile(const std::string& path, std::vector<OpText>& ops, std::string& error);

}  // namespace batch
