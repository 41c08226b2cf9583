// libFuzzer target: any byte string as a dense-gas deck. Reading must end with a deck or a message
// naming a line; a deck that reads is run, and the run must end with a listing or a message.
// Nothing may crash or hang.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "slab/slab.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const slab::DeckRead d = slab::readDeck(text);
  if (d.status != slab::Status::Ok) {
    if (d.message.rfind("line ", 0) != 0) std::abort();
    return 0;
  }
  if (d.deck.mets.size() > 3) return 0;  // each set is a whole run; a few are enough
  const slab::Result r = slab::run(d.deck);
  if (r.status != slab::Status::Ok) {
    if (r.message.empty() || !r.runs.empty()) std::abort();
  } else if (slab::listing(r).empty() || r.runs.size() != d.deck.mets.size()) {
    std::abort();
  }
  return 0;
}
