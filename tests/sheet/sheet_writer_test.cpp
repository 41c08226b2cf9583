// Calculation sheets as an assessor attaches them to a report: every calculator's PDF copies
// out as the text written (no Kangxi radicals for shared ideograph glyphs, no ligatures), a
// wide result table prints one row per distance without splitting a number, and a huge table
// is cut so the sheet is written quickly.
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "core/calculator.h"
#include "models/registry.h"
#include "present/calc_sheet.h"
#include "sheet/sheet_writer.h"

namespace {

namespace fs = std::filesystem;

struct Pdf {
  std::string text;  // pdftotext output, pages separated by form feeds
  int pages = 0;
};

Pdf readPdf(const fs::path& file) {
  Pdf pdf;
  const std::string cmd = "pdftotext -enc UTF-8 '" + file.string() + "' - 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return pdf;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) pdf.text.append(buf, n);
  pclose(p);
  for (char c : pdf.text) pdf.pages += c == '\f';
  return pdf;
}

bool havePdfToText() { return std::system("pdftotext -v >/dev/null 2>&1") == 0; }

// Code points of the Kangxi radicals and the CJK radicals supplement found in the text.
std::string radicalsIn(const std::string& s) {
  std::string found;
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    // U+2E80..U+2FDF is E2 BA 80 .. E2 BF 9F in UTF-8.
    if (a == 0xE2 && b >= 0xBA && b <= 0xBF) found += s.substr(i, 3) + " ";
  }
  return found;
}

std::string withoutBlanks(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\n' && c != '\f' && c != '\t' && c != '\r') out += c;
  return out;
}

class SheetPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!havePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    dir = fs::temp_directory_path() / ("kuva-sheet-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  // The sheet of the calculator's first action on the given values.
  Pdf write(const core::CalculatorDesc& d, const core::Values& v, const std::string& name,
            const std::string& project = {}) {
    core::Outcome o;
    // The screening calculators start an outside program: their sheet lists the inputs only.
    if (d.id != "screen3" && d.id != "protection") o = d.compute(v, d.actions.front().name);
    if (o.failure) o = core::Outcome{};
    auto s = present::buildSheet(d, v, o, "2026-12-07 10:00");
    s.project = project;
    const fs::path file = dir / name;
    EXPECT_EQ(sheet::writeSheetFile(s, file.string()), "") << d.id;
    return readPdf(file);
  }
  fs::path dir;
};

TEST_F(SheetPdf, EveryCalculatorsSheetCopiesOutAsWritten) {
  for (const auto& d : models::registry().all()) {
    SCOPED_TRACE(d.id);
    const Pdf pdf = write(d, core::defaultValues(d), d.id + ".pdf");
    ASSERT_FALSE(pdf.text.empty());
    EXPECT_EQ(radicalsIn(pdf.text), "");
    EXPECT_EQ(pdf.text.find("\xEF\xAC"), std::string::npos) << "a ligature (U+FB00..)";
    const std::string flat = withoutBlanks(pdf.text);
    EXPECT_NE(flat.find(withoutBlanks("计算书：" + d.title)), std::string::npos);
    EXPECT_NE(flat.find("第1页共"), std::string::npos) << "page footer";
    for (const auto& f : d.fields) {
      if (f.result) continue;
      const core::Notation n = core::notationOf(f);
      EXPECT_NE(flat.find(withoutBlanks(n.name)), std::string::npos) << f.key << " " << n.name;
      if (!n.symbol.empty()) {
        EXPECT_NE(flat.find(withoutBlanks(n.symbol)), std::string::npos) << f.key;
      }
    }
    EXPECT_NE(flat.find(withoutBlanks(d.method)), std::string::npos);
  }
}

// However much text comes before it, the figure's heading is printed on the page of its figure,
// never alone at the foot of the page before.
TEST_F(SheetPdf, TheFigureHeadingGoesWithItsFigure) {
  QImage img(600, 400, QImage::Format_RGB32);
  img.fill(Qt::white);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(img.save(&buffer, "PNG"));
  for (int lines = 20; lines <= 45; ++lines) {
    present::CalcSheet s;
    s.title = "计算书：等值线";
    for (int i = 0; i < lines; ++i) s.text.push_back("第" + std::to_string(i + 1) + "行说明");
    const fs::path file = dir / "figure.pdf";
    ASSERT_EQ(sheet::writeSheetFile(s, file.string(), png.toStdString()), "");
    const Pdf pdf = readPdf(file);
    int page = 0, heading = -1;
    std::istringstream in(pdf.text);
    for (std::string line; std::getline(in, line);) {
      page += static_cast<int>(std::count(line.begin(), line.end(), '\f'));
      if (line.find("图") != std::string::npos && withoutBlanks(line).find("图") == 0 &&
          withoutBlanks(line).size() == std::string("图").size())
        heading = page;
    }
    EXPECT_EQ(heading, pdf.pages - 1) << lines << " lines of text";
  }
}

// The industrial-noise defaults: the distance table turned to one row per distance, on at
// most two pages, every number of the table whole.
TEST_F(SheetPdf, IndustrialNoiseDefaultsFitTwoPagesWithWholeNumbers) {
  const auto& d = *models::registry().find("industrial_noise");
  const core::Values v = core::defaultValues(d);
  const core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.ok());
  ASSERT_EQ(o.tables.size(), 1u);
  const Pdf pdf = write(d, v, "industrial.pdf", "厂区噪声.kuva");
  EXPECT_LE(pdf.pages, 2);
  // The frame of every page: the project in the header, page count and version in the footer.
  const std::string flat = withoutBlanks(pdf.text);
  EXPECT_NE(flat.find("工程：厂区噪声.kuva"), std::string::npos);
  EXPECT_NE(flat.find("第" + std::to_string(pdf.pages) + "页共" + std::to_string(pdf.pages) + "页"),
            std::string::npos);
  EXPECT_NE(flat.find("kuva环评计算"), std::string::npos);
  // Every number of the table is one word of the text (a number split across lines reads as
  // two words).
  std::set<std::string> words;
  std::istringstream in(pdf.text);
  for (std::string w; in >> w;) words.insert(w);
  for (const auto& r : o.tables[0].rows)
    for (size_t c = 1; c < r.size(); ++c) EXPECT_TRUE(words.count(r[c])) << r[c];
}

// A table of 100,000 distances: the sheet prints the first rows and says how many it left
// out, within seconds and without holding the whole table in the document.
TEST_F(SheetPdf, AHugeTableIsCutWithANote) {
  const auto& d = *models::registry().find("industrial_noise");
  core::Values v = core::defaultValues(d);
  v.setNum("rmax", 100000);
  v.setNum("dr", 1);
  const auto start = std::chrono::steady_clock::now();
  const Pdf pdf = write(d, v, "big.pdf");
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 60);
  const std::string flat = withoutBlanks(pdf.text);
  EXPECT_NE(flat.find(withoutBlanks("另有 98000 行未列出")), std::string::npos);
  EXPECT_NE(flat.find(withoutBlanks("行未列出，完整结果见计算页面的结果文本。")),
            std::string::npos);
  EXPECT_NE(flat.find("2000"), std::string::npos);
  EXPECT_EQ(pdf.text.find("\n2001\n"), std::string::npos) << "the 2001st distance";
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss, 800L * 1024) << "peak memory in KB";
}

}  // namespace
