// PDF files written by the real binary, read back with poppler's tools:
// page count and size (pdfinfo), where texts land and how large
// (pdftotext -bbox), and what covers what (pdftoppm).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/page_runner.h"

namespace {

namespace fs = std::filesystem;

// Document millimetres to PDF points: mmScale (2.946) painter units, 16 dots
// each at 1200 dpi, 72 points an inch.
constexpr double kPointsPerMm = 2.946 * 16 / 1200 * 72;
constexpr double kPaperPointsPerMm = 72 / 25.4;

std::string output(const std::string& command) {
  std::string text;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  pclose(pipe);
  return text;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

struct PdfInfo {
  int pages = 0;
  double width = 0;  // points
  double height = 0;
};

PdfInfo infoOf(const std::string& pdf) {
  const std::string text = output("pdfinfo " + quoted(pdf));
  PdfInfo info;
  std::smatch m;
  if (std::regex_search(text, m, std::regex(R"(Pages:\s+(\d+))"))) info.pages = std::stoi(m[1]);
  if (std::regex_search(text, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"))) {
    info.width = std::stod(m[1]);
    info.height = std::stod(m[2]);
  }
  return info;
}

// A page box from pdfinfo -box ("MediaBox", "CropBox"): x0, y0, x1, y1 in points.
std::vector<double> boxOf(const std::string& pdf, const std::string& name) {
  const std::string text = output("pdfinfo -box " + quoted(pdf));
  std::smatch m;
  const std::string number = R"(\s+(-?[\d.]+))";
  if (!std::regex_search(text, m, std::regex(name + ":" + number + number + number + number))) {
    return {};
  }
  return {std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])};
}

struct Word {
  int page;
  double xMin, yMin, xMax, yMax;
  std::string text;
};

std::vector<Word> wordsOf(const std::string& pdf) {
  const std::string html = output("pdftotext -bbox " + quoted(pdf) + " -");
  std::vector<Word> words;
  int page = 0;
  const std::regex token(
      R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), token);
       it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    if (m[1].length() == 0) {
      ++page;
      continue;
    }
    words.push_back(
        {page, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5]});
  }
  return words;
}

const Word* find(const std::vector<Word>& words, const std::string& text) {
  for (const Word& word : words) {
    if (word.text == text) return &word;
  }
  return nullptr;
}

// One page rendered by pdftoppm at 72 dpi: a pixel is a point.
struct Picture {
  int width = 0, height = 0;
  std::string rgb;
  unsigned pixel(int x, int y) const {
    const size_t at = 3 * (static_cast<size_t>(y) * width + x);
    return (static_cast<unsigned char>(rgb[at]) << 16) |
           (static_cast<unsigned char>(rgb[at + 1]) << 8) | static_cast<unsigned char>(rgb[at + 2]);
  }
};

Picture pictureOf(const std::string& pdf, int page, const std::string& scratch) {
  const std::string prefix = scratch + "/page";
  output("pdftoppm -r 72 -singlefile -f " + std::to_string(page) + " -l " + std::to_string(page) +
         " " + quoted(pdf) + " " + quoted(prefix));
  const std::string ppm = e2e::readFile(prefix + ".ppm");
  Picture picture;
  int maxValue = 0, consumed = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &picture.width, &picture.height, &maxValue,
                  &consumed) != 3) {
    throw std::runtime_error("pdftoppm gave no picture");
  }
  picture.rgb = ppm.substr(consumed + 1);
  return picture;
}

// The smallest rectangle of a picture that holds every pixel of `colour`.
struct Extent {
  int left = -1, top = -1, right = -1, bottom = -1;
};

Extent extentOf(const Picture& picture, unsigned colour) {
  Extent extent;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (picture.pixel(x, y) != colour) continue;
      if (extent.left < 0 || x < extent.left) extent.left = x;
      if (extent.top < 0) extent.top = y;
      extent.right = std::max(extent.right, x);
      extent.bottom = y;
    }
  }
  return extent;
}

std::map<std::string, std::string> reportedFiles(const e2e::PageRun& run) {
  std::map<std::string, std::string> files;
  for (const std::string& line : e2e::messagesStartingWith(run, "PDF ")) {
    const size_t space = line.find(' ', 4);
    files[line.substr(4, space - 4)] = line.substr(space + 1);
  }
  return files;
}

class PrintFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new support::Directory("print");
    e2e::RunOptions options;
    options.files["test_paths.js"] = "var TEST = { folder: \"" + folder_->path() + "\" };\n";
    run_ = new e2e::PageRun(e2e::runPage("print_pdf.html", options));
    files_ = reportedFiles(*run_);
  }
  static void TearDownTestSuite() {
    delete run_;
    delete folder_;
  }

  static std::string file(const std::string& label) {
    const auto found = files_.find(label);
    return found == files_.end() ? std::string() : found->second;
  }

  static inline support::Directory* folder_ = nullptr;
  static inline e2e::PageRun* run_ = nullptr;
  static inline std::map<std::string, std::string> files_;
};

TEST_F(PrintFiles, PageAnswersAsExpected) { ASSERT_EQ(e2e::failureReport(*run_), ""); }

TEST_F(PrintFiles, OnlyWholeFilesAreLeftBehind) {
  std::set<std::string> expected, present;
  for (const auto& [label, path] : files_) expected.insert(fs::path(path).filename());
  for (const auto& entry : fs::directory_iterator(folder_->path()))
    present.insert(entry.path().filename());
  EXPECT_EQ(expected, present) << "failed calls start no file and no temporary file remains";
  EXPECT_EQ(5u, expected.size());
}

TEST_F(PrintFiles, OtherAccountsMayReadTheFilesAsTheUmaskAllows) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  for (const auto& [label, path] : files_) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << label;
  }
}

TEST_F(PrintFiles, PagesHaveTheDocumentsSizeWithoutMargins) {
  const PdfInfo three = infoOf(file("three-pages"));
  EXPECT_EQ(3, three.pages);
  EXPECT_NEAR(100 * kPaperPointsPerMm, three.width, 0.5);
  EXPECT_NEAR(150 * kPaperPointsPerMm, three.height, 0.5);
  const PdfInfo landscape = infoOf(file("landscape"));
  EXPECT_NEAR(297 * kPaperPointsPerMm, landscape.width, 0.5);
  EXPECT_NEAR(210 * kPaperPointsPerMm, landscape.height, 0.5);
  EXPECT_EQ(infoOf(file("three-pages")).pages, infoOf(file("again")).pages);

  // The page is the paper: no box crops it, and what the document places at
  // (x, y) lands x and y from the paper's corner, at the document's scale.
  for (const char* label : {"three-pages", "landscape"}) {
    const std::vector<double> media = boxOf(file(label), "MediaBox");
    ASSERT_EQ(4u, media.size()) << label;
    EXPECT_EQ(0, media[0]) << label;
    EXPECT_EQ(0, media[1]) << label;
    EXPECT_EQ(media, boxOf(file(label), "CropBox")) << label;
  }
  const support::Directory scratch("print-picture");
  const Extent blue = extentOf(pictureOf(file("three-pages"), 2, scratch.path()), 0x0000FFu);
  EXPECT_NEAR(15 * kPointsPerMm, blue.left, 1.5);
  EXPECT_NEAR(20 * kPointsPerMm, blue.top, 1.5);
  EXPECT_NEAR(55 * kPointsPerMm, blue.right + 1, 1.5);
  EXPECT_NEAR(35 * kPointsPerMm, blue.bottom + 1, 1.5);
  const std::vector<Word> words = wordsOf(file("landscape"));
  const Word* wide = find(words, "wide");
  ASSERT_NE(nullptr, wide);
  EXPECT_NEAR(10 * kPointsPerMm, wide->xMin, 1.5);
}

TEST_F(PrintFiles, ADocumentWithoutPagesGivesAnEmptyFile) {
  const PdfInfo info = infoOf(file("no-pages"));
  EXPECT_LE(info.pages, 1);
  EXPECT_NEAR(50 * kPaperPointsPerMm, info.width, 0.5);
  EXPECT_TRUE(wordsOf(file("no-pages")).empty());
}

TEST_F(PrintFiles, TextLandsWhereAndAsLargeAsTheDocumentSays) {
  const std::vector<Word> words = wordsOf(file("three-pages"));
  for (const char* polish : {"zażółć", "gęślą", "jaźń"}) {
    ASSERT_NE(nullptr, find(words, polish)) << polish;
  }
  const Word& first = *find(words, "zażółć");
  EXPECT_EQ(1, first.page);
  EXPECT_NEAR(20 * kPointsPerMm, first.xMin, 1.5);
  const double baseline = 30 * kPointsPerMm;
  EXPECT_LT(first.yMin, baseline);
  EXPECT_GT(first.yMax, baseline);
  // fontSize 20 is halved in PDF files: a 10-point font, whose glyph box
  // (ascent and descent) is a little more than 10 points high.
  EXPECT_GT(first.yMax - first.yMin, 9.0);
  EXPECT_LT(first.yMax - first.yMin, 13.0);
}

TEST_F(PrintFiles, RectTextsWrapInsideTheirBox) {
  const std::vector<Word> words = wordsOf(file("three-pages"));
  std::set<double> lines;
  for (const char* text : {"one", "two", "three", "four", "zero", "six", "seven", "eight", "nine",
                           "ten", "eleven", "twelve"}) {
    const Word* word = find(words, text);
    ASSERT_NE(nullptr, word) << text;
    EXPECT_GE(word->xMin, 10 * kPointsPerMm - 0.5) << text;
    EXPECT_LE(word->xMax, 40 * kPointsPerMm + 0.5) << text;
    EXPECT_GE(word->yMin, 50 * kPointsPerMm - 0.5) << text;
    lines.insert(std::round(word->yMin));
  }
  EXPECT_GE(lines.size(), 3u);
}

TEST_F(PrintFiles, EscapedTextsPrintAsThemselves) {
  const std::vector<Word> words = wordsOf(file("three-pages"));
  ASSERT_NE(nullptr, find(words, "tab"));
  EXPECT_EQ(3, find(words, "tab")->page);
  EXPECT_NE(nullptr, find(words, "here"));
  EXPECT_NE(nullptr, find(words, "żółw/x"));
}

TEST_F(PrintFiles, RectanglesCoverTextsAndTextsTakeTheirColour) {
  const support::Directory scratch("print-picture");
  const Picture page = pictureOf(file("three-pages"), 2, scratch.path());
  // The blue box (15, 20) to (55, 35) mm hides the text under it.
  const int left = static_cast<int>(15 * kPointsPerMm) + 2,
            right = static_cast<int>(55 * kPointsPerMm) - 2;
  const int top = static_cast<int>(20 * kPointsPerMm) + 2,
            bottom = static_cast<int>(35 * kPointsPerMm) - 2;
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) ASSERT_EQ(0x0000FFu, page.pixel(x, y)) << x << "," << y;
  }
  // The red text is drawn in red, not in the pen of the rectangle or line.
  int red = 0, dark = 0;
  const int baseline = static_cast<int>(80 * kPointsPerMm);
  for (int y = baseline - 20; y < baseline; ++y) {
    for (int x = static_cast<int>(20 * kPointsPerMm); x < static_cast<int>(20 * kPointsPerMm) + 60;
         ++x) {
      const unsigned p = page.pixel(x, y);
      if (p == 0xFF0000u) ++red;
      if ((p >> 16) < 0x80) ++dark;
    }
  }
  EXPECT_GT(red, 100);
  EXPECT_EQ(0, dark);
}

}  // namespace
