#pragma once

// Text forms damaged as a corrupted file or a careless hand damages them: a few characters
// changed, inserted or erased, most new ones from the text form's own alphabet.
#include <cstddef>
#include <random>
#include <string>

namespace vexmar::test::text {

/// A text touching every part of the grammar.
inline const std::string kRichText =
    R"(plus[(*x-3xi1is0.5snuv*)num[1.5,"1.5"],char[theta,1,2,3,1,2],string["a""b"],)"
    R"(matrix[(*j1j*)2,1,dummy[a],num[-2e-05,"-2e-05"]],indexes[0,1,prompt[],prompt[]],)"
    R"(tensor[5,prompt[],prompt[]],chem[1,0,0,1,prompt[]],over[char[x],sqrt[char[y]]]])";

/// `text` after one to three random edits; never empty.
inline std::string mutateText(std::string text, std::mt19937& random) {
  using namespace std::string_literals;
  static const std::string alphabet = "[](*),\"0123456789.-+eExysnuvAfprcmlitwabj\0\xFF"s;
  if (text.empty()) text = "[";
  for (int edits = 1 + static_cast<int>(random() % 3); edits > 0; --edits) {
    const std::size_t at = random() % text.size();
    const char c = (random() % 4 == 0) ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    switch (random() % 3) {
    case 0:
      text[at] = c;
      break;
    case 1:
      text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
      break;
    default:
      text.erase(at, 1 + random() % 4);
      break;
    }
    if (text.empty()) text = "[";
  }
  return text;
}

} // namespace vexmar::test::text
