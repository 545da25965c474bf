#pragma once

#include "model/insertion_point.h"

#include <string>

namespace vexmar::test {

/// What is wrong with the tree under `root` (links, child counts for each kind, records), or an
/// empty string when nothing is.
std::string treeProblem(const MathObject& root);
/// What is wrong with the line's caret for its mode, or an empty string.
std::string caretProblem(const InsertionPoint& ip);

} // namespace vexmar::test
