// kuvaslab: dispersion of a denser-than-air gas release from a deck of one value per line.
// Usage: kuvaslab INPUT [OUTPUT]. The listing goes to OUTPUT (written in one piece) or to the
// standard output; a refused deck or a failed run writes no listing and exits non-zero.

#include <cstdio>
#include <iostream>
#include <string>

#include "core/file_io.h"
#include "slab/slab.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: kuvaslab INPUT [OUTPUT]\n";
    return 2;
  }
  std::string text;
  const core::FileRead fr = core::readRegularFile(argv[1], text, 1u << 20);
  if (fr.status != core::ReadStatus::Ok) {
    std::cerr << "kuvaslab: " << core::describeRead(fr, argv[1], "deck", 1u << 20) << '\n';
    return 1;
  }
  const slab::DeckRead deck = slab::readDeck(text);
  if (deck.status != slab::Status::Ok) {
    std::cerr << "kuvaslab: " << argv[1] << ": " << deck.message << '\n';
    return 1;
  }
  const slab::Result result = slab::run(deck.deck);
  if (result.status != slab::Status::Ok) {
    std::cerr << "kuvaslab: " << argv[1] << ": " << result.message << '\n';
    return 1;
  }
  const std::string out = slab::listing(result);
  if (argc == 2) {
    std::cout << out;
    std::cout.flush();
    return std::cout ? 0 : 1;
  }
  core::AtomicFile file;
  std::string err = file.open(argv[2]);
  if (err.empty()) err = file.write(out);
  if (err.empty()) err = file.commit();
  if (!err.empty()) {
    std::cerr << "kuvaslab: " << err << '\n';
    return 1;
  }
  return 0;
}
