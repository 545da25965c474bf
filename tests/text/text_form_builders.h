#pragma once

#include "text/object_text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

/// Text-form builders, so that table rows read close to the equations they stand for.
namespace vexmar::test::text {

inline std::string c(const std::string& letter) { return "char[" + letter + "]"; }
inline std::string n(int v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
inline std::string k(const std::string& kind, std::initializer_list<std::string> children) {
  std::string text = kind + "[";
  for (const std::string& child : children) text += (text.back() == '[' ? "" : ",") + child;
  return text + "]";
}
inline std::string eq(const std::string& a, const std::string& b) { return k("equal", {a, b}); }
inline std::string vec(std::initializer_list<std::string> entries) {
  std::string text = "matrix[" + std::to_string(entries.size()) + ",1";
  for (const std::string& e : entries) text += "," + e;
  return text + "]";
}
inline std::string sq(const std::string& a) { return k("power", {a, n(2)}); }
inline const std::string kTheta = "char[theta]";

/// The tree of a text form; a bad text form fails the test.
inline ObjectPtr read(const std::string& text) {
  ObjectPtr tree = readObjectText(text);
  EXPECT_TRUE(tree) << "bad text form in the test: " << text;
  return tree;
}

} // namespace vexmar::test::text
