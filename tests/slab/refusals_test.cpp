// Bad decks and input out of range are refused with a message naming the line or the field, and
// the program then leaves no listing behind; the faults of the reference (an unknown source type
// or sub-step multiplier run silently, a buoyant stack divides by zero) are refused or guarded.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "slab/slab.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(KUVA_TEST_DATA_DIR) / "slab";

std::string sampleDeck(const std::string& name) {
  std::ifstream in(kSamples / name / "input", std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The deck text with line `n` (1-based) replaced.
std::string withLine(std::string text, int n, const std::string& value) {
  size_t start = 0;
  for (int i = 1; i < n; ++i) start = text.find('\n', start) + 1;
  const size_t end = text.find('\n', start);
  return text.replace(start, end - start, value + "\r");
}

void refusedAt(const std::string& text, const std::string& expected) {
  const slab::DeckRead d = slab::readDeck(text);
  EXPECT_EQ(d.status, slab::Status::BadDeck);
  EXPECT_NE(d.message.find(expected), std::string::npos) << d.message;
}

TEST(SlabRefusals, DeckReader) {
  const std::string deck = sampleDeck("vjet-nh3-buoyant-C");
  refusedAt(deck.substr(0, deck.find("3000.0")), "line 19: no value for xffm");
  refusedAt(withLine(deck, 12, " 3OO.0"), "line 12: ts \" 3OO.0\" is not a number");
  refusedAt(withLine(deck, 1, "      3"), "line 1: idspl \"      3\" goes beyond column 5");
  refusedAt(withLine(deck, 13, "         2.5"), "line 13: qs");
  refusedAt(std::string(), "line 1: the deck ends before idspl");
  // A further meteorology set that stops half-way.
  refusedAt(deck.substr(0, deck.rfind("-1.")) + "0.1\r\n10.\r\n",
            "line 32: the deck ends before ua");
}

TEST(SlabRefusals, DeckFormat) {
  // CRLF or LF, three implied decimals without a point, ala read only when stab = 0.
  std::string lf = sampleDeck("puff-nh3-twophase-unstable");
  std::erase(lf, '\r');
  slab::DeckRead d = slab::readDeck(withLine(lf, 13, "1000"));
  ASSERT_EQ(d.status, slab::Status::Ok) << d.message;
  EXPECT_EQ(d.deck.qs, 1.0);
  ASSERT_EQ(d.deck.mets.size(), 1u);
  EXPECT_FLOAT_EQ(static_cast<float>(d.deck.mets[0].ala), -0.05f);
  // writeDeck and readDeck round-trip every value.
  const slab::DeckRead again = slab::readDeck(slab::writeDeck(d.deck));
  ASSERT_EQ(again.status, slab::Status::Ok) << again.message;
  EXPECT_EQ(slab::writeDeck(again.deck), slab::writeDeck(d.deck));
  EXPECT_EQ(again.deck.dhe, d.deck.dhe);
  EXPECT_EQ(again.deck.mets[0].ala, d.deck.mets[0].ala);
}

void refusedInput(const slab::Deck& d, const std::string& expected) {
  SCOPED_TRACE(expected);
  const slab::Result r = slab::run(d);
  EXPECT_NE(r.status, slab::Status::Ok);
  EXPECT_TRUE(r.runs.empty());
  EXPECT_TRUE(slab::listing(r).empty());
  EXPECT_NE(r.message.find(expected), std::string::npos) << r.message;
}

TEST(SlabRefusals, InputOutOfRange) {
  const slab::Deck base = slab::readDeck(sampleDeck("puff-nh3-twophase-unstable")).deck;
  slab::Deck d = base;
  d.idspl = 5;  // the reference prints tables of zeros and NaN for this
  refusedInput(d, "idspl = 5: the source type must be");
  d = base;
  d.ncalc = 0;  // the reference integrates nothing
  refusedInput(d, "ncalc = 0");
  d = base;
  d.qtis = -2000;
  refusedInput(d, "qtis = -2000: the released mass must not be negative");
  d = base;
  d.mets[0].ta = -10;
  refusedInput(d, "ta = -10: a temperature must be above absolute zero");
  d = base;
  d.hs = 5000;
  refusedInput(d, "source height hs is above the mixing height");
  d = base;
  d.mets.push_back(d.mets[0]);
  d.mets[1].rh = 120;
  refusedInput(d, "rh = 120: the relative humidity must be 0 to 100 % (meteorology set 2)");
}

// A stack at ground level releasing gas exactly as dense as the air: the buoyant rise has no
// buoyancy and no height to start from; the rise is then the momentum rise alone.
TEST(SlabRefusals, NeutralStackAtGroundLevel) {
  slab::Deck d = slab::readDeck(sampleDeck("vjet-nh3-buoyant-C")).deck;
  d.hs = 0;
  d.mets[0].rh = 0;
  d.wms = 0.02896;  // dry air
  d.ts = d.mets[0].ta;
  d.tbp = 200;
  const slab::Result r = slab::run(d);
  ASSERT_EQ(r.status, slab::Status::Ok) << r.message;
  for (const slab::CloudRow& c : r.runs[0].cloud) ASSERT_TRUE(std::isfinite(c.cv));
  EXPECT_GT(r.runs[0].cloud[0].zc, 0);
}

// A run whose cloud state stops being finite is a failed run, not a listing of NaN.
TEST(SlabRefusals, BreakdownIsAFailure) {
  slab::Deck d = slab::readDeck(sampleDeck("pool-cl2-2met")).deck;
  d.tbp = 703.1;  // found by the fuzzer
  d.mets[1].z0 = 0.83;
  const slab::Result r = slab::run(d);
  EXPECT_EQ(r.status, slab::Status::Failed);
  EXPECT_NE(r.message.find("broke down"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("(meteorology set 2)"), std::string::npos) << r.message;
  EXPECT_TRUE(r.runs.empty());
  EXPECT_TRUE(slab::listing(r).empty());
}

// The program: a refused deck or an output it cannot write leaves no listing and exits non-zero.
TEST(SlabRefusals, ProgramWritesNothingOnFailure) {
  const fs::path work = fs::temp_directory_path() / ("kuva_slab_" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work);
  const std::string exe = std::string(KUVA_BIN_DIR) + "/kuvaslab";
  {
    std::ofstream(work / "bad.inp", std::ios::binary)
        << withLine(sampleDeck("puff-nh3-twophase-unstable"), 13, "-5.0");
  }
  const auto run = [&](const std::string& args) {
    return std::system((exe + " " + args + " 2>" + (work / "err").string()).c_str());
  };
  EXPECT_NE(run((work / "bad.inp").string() + " " + (work / "out.txt").string()), 0);
  EXPECT_FALSE(fs::exists(work / "out.txt"));
  const std::string good = (kSamples / "puff-nh3-twophase-unstable" / "input").string();
  EXPECT_NE(run(good + " " + (work / "missing" / "out.txt").string()), 0);
  EXPECT_FALSE(fs::exists(work / "missing"));
  EXPECT_EQ(run(good + " " + (work / "out.txt").string()), 0);
  EXPECT_GT(fs::file_size(work / "out.txt"), 40000u);
  std::ifstream err(work / "err");
  fs::remove_all(work);
}

}  // namespace
