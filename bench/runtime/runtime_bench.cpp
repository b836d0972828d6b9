// Measures the runtime's byte containers and base64 against plain anchors
// doing the same work, then prints each pair's ratio (ours / anchor).
//
//   runtime_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/ansi_string.h"
#include "runtime/base64.h"
#include "runtime/binary.h"
#include "runtime/binary_buffer.h"

namespace {

constexpr int kPiece = 64 << 10;
constexpr long long kGiB = 1LL << 30;
constexpr int kBase64Bytes = 64 << 20;

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 9));
  return bytes;
}

void BinaryBufferAppend(benchmark::State& state) {
  const std::string source = Pattern(kPiece);
  const Binary piece(source.data(), kPiece);
  for (auto _ : state) {
    BinaryBuffer buffer;
    for (long long done = 0; done < kGiB; done += kPiece) buffer.Append(piece);
    benchmark::DoNotOptimize(buffer.Size());
  }
  state.SetBytesProcessed(state.iterations() * kGiB);
}

void VectorAppend(benchmark::State& state) {
  const std::string piece = Pattern(kPiece);
  for (auto _ : state) {
    std::vector<char> buffer;
    for (long long done = 0; done < kGiB; done += kPiece) {
      buffer.insert(buffer.end(), piece.begin(), piece.end());
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(state.iterations() * kGiB);
}

const char kSymbols[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The plain loop a developer would write without thinking about speed.
std::string ReferenceEncode(const std::string& in) {
  std::string out;
  size_t i = 0;
  for (; i + 3 <= in.size(); i += 3) {
    unsigned a = static_cast<unsigned char>(in[i]);
    unsigned b = static_cast<unsigned char>(in[i + 1]);
    unsigned c = static_cast<unsigned char>(in[i + 2]);
    out += kSymbols[a >> 2];
    out += kSymbols[(a & 3) << 4 | b >> 4];
    out += kSymbols[(b & 15) << 2 | c >> 6];
    out += kSymbols[c & 63];
  }
  if (i < in.size()) {
    unsigned a = static_cast<unsigned char>(in[i]);
    unsigned b = i + 1 < in.size() ? static_cast<unsigned char>(in[i + 1]) : 0;
    out += kSymbols[a >> 2];
    out += kSymbols[(a & 3) << 4 | b >> 4];
    out += i + 1 < in.size() ? kSymbols[(b & 15) << 2] : '=';
    out += '=';
  }
  return out;
}

std::string ReferenceDecode(const std::string& in) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : in) {
    const char* at = std::char_traits<char>::find(kSymbols, 64, c);
    if (c == '\0' || at == nullptr) break;
    bits = bits << 6 | static_cast<unsigned>(at - kSymbols);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>(bits >> count);
    }
  }
  return out;
}

void Base64EncodeOurs(benchmark::State& state) {
  const AnsiString input(Pattern(kBase64Bytes));
  for (auto _ : state) benchmark::DoNotOptimize(Base64Encode(input));
  state.SetBytesProcessed(state.iterations() * kBase64Bytes);
}

void Base64EncodeReference(benchmark::State& state) {
  const std::string input = Pattern(kBase64Bytes);
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceEncode(input));
  state.SetBytesProcessed(state.iterations() * kBase64Bytes);
}

void Base64DecodeOurs(benchmark::State& state) {
  const AnsiString text = Base64Encode(AnsiString(Pattern(kBase64Bytes)));
  for (auto _ : state) benchmark::DoNotOptimize(Base64Decode(text));
  state.SetBytesProcessed(state.iterations() * kBase64Bytes);
}

void Base64DecodeReference(benchmark::State& state) {
  const std::string text = Base64Encode(AnsiString(Pattern(kBase64Bytes))).str();
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceDecode(text));
  state.SetBytesProcessed(state.iterations() * kBase64Bytes);
}

void AnsiStringCopy(benchmark::State& state) {
  const AnsiString text(Pattern(1 << 20));
  for (auto _ : state) {
    AnsiString copy(text);
    benchmark::DoNotOptimize(copy);
  }
}

void StdStringCopy(benchmark::State& state) {
  const std::string text = Pattern(1 << 20);
  for (auto _ : state) {
    std::string copy(text);
    benchmark::DoNotOptimize(copy);
  }
}

BENCHMARK(BinaryBufferAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(VectorAppend)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Base64EncodeOurs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Base64EncodeReference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Base64DecodeOurs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Base64DecodeReference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AnsiStringCopy);
BENCHMARK(StdStringCopy);

// Keeps each benchmark's time per iteration, in nanoseconds, for the ratios.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  RecordingReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      nanoseconds_[run.run_name.function_name] =
          run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
    }
  }
  const std::map<std::string, double>& nanoseconds() const { return nanoseconds_; }

 private:
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const std::pair<const char*, const char*> pairs[] = {
      {"BinaryBufferAppend", "VectorAppend"},
      {"Base64EncodeOurs", "Base64EncodeReference"},
      {"Base64DecodeOurs", "Base64DecodeReference"},
      {"AnsiStringCopy", "StdStringCopy"},
  };
  std::printf("\nratio (ours / anchor):\n");
  for (const auto& [ours, anchor] : pairs) {
    const auto& times = reporter.nanoseconds();
    auto a = times.find(ours);
    auto b = times.find(anchor);
    if (a == times.end() || b == times.end()) continue;
    std::printf("  %-20s / %-22s %10.4f  (%.0f ns / %.0f ns)\n", ours, anchor,
                a->second / b->second, a->second, b->second);
  }
  return 0;
}
