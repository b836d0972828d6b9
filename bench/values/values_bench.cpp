// Measures the value tree's SF text form against jsoncpp on texts of the same
// structure, and the binary round trip of the HTTP result type.
//
//   values_bench [megabytes]      (default 10)
//
// Both texts hold the same records (an int, a text with quotes, a line break
// and a backslash, an array of three texts, a nested record); each is built
// to the given size, so the figures are per byte and per record.
#include <json/json.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "http/http_types.h"
#include "runtime/little_endian_io.h"
#include "runtime/simple_data_sf.h"

namespace {

using Clock = std::chrono::steady_clock;

// Best of a few runs, in seconds.
double Seconds(const std::function<void()>& work) {
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    const Clock::time_point started = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - started).count());
  }
  return best;
}

std::string Note(int i) { return "note \"" + std::to_string(i) + "\"\nline\\two"; }

SimpleData Record(int i) {
  SimpleRecord inner;
  inner.set("x", SimpleData(i % 1000));
  inner.set("label", SimpleData(AnsiString("inner")));
  SimpleArray tags;
  for (const char* tag : {"alpha", "beta", "gamma"}) tags.Add(SimpleData(AnsiString(tag)));
  SimpleRecord record;
  record.set("id", SimpleData(i));
  record.set("note", SimpleData(AnsiString(Note(i))));
  record.set("tags", SimpleData(tags));
  record.set("inner", SimpleData(inner));
  return SimpleData(record);
}

Json::Value JsonRecord(int i) {
  Json::Value record(Json::objectValue);
  record["id"] = i;
  record["note"] = Note(i);
  Json::Value& tags = record["tags"] = Json::Value(Json::arrayValue);
  for (const char* tag : {"alpha", "beta", "gamma"}) tags.append(tag);
  Json::Value& inner = record["inner"] = Json::Value(Json::objectValue);
  inner["x"] = i % 1000;
  inner["label"] = "inner";
  return record;
}

// The same records, as many as fill `bytes`.
template <typename Make, typename Size>
int RecordsFor(size_t bytes, Make make, Size size) {
  return static_cast<int>(bytes / size(make(0))) + 1;
}

struct Pair {
  double ours;
  double anchor;
};

void Report(const char* what, const Pair& seconds, double our_mb, double anchor_mb, int our_records,
            int anchor_records) {
  const double mb_ratio = (our_mb / seconds.ours) / (anchor_mb / seconds.anchor);
  const double record_ratio = (our_records / seconds.ours) / (anchor_records / seconds.anchor);
  std::printf("%-26s %8.1f MB/s  jsoncpp %8.1f MB/s   ratio %.2f (per record %.2f)\n", what,
              our_mb / seconds.ours, anchor_mb / seconds.anchor, mb_ratio, record_ratio);
}

HttpResult Result(int i) {
  switch (i % 3) {
    case 0:
      return HttpResult::body(HttpBodyResult("HTTP/1.0 200 OK\r\nContent-Length: 5", "hello"));
    case 1:
      return HttpResult::file(
          HttpFileResult("HTTP/1.0 200 OK", "/tmp/download-" + std::to_string(i)));
    default: return HttpResult::error(HttpErrorResult("no route", HttpErrorKind::send("body")));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const size_t bytes = (argc > 1 ? std::atoi(argv[1]) : 10) * size_t{1 << 20};

  const int our_records =
      RecordsFor(bytes, Record, [](const SimpleData& d) { return d.toString().Length(); });
  SimpleArray records;
  for (int i = 0; i < our_records; ++i) records.Add(Record(i));
  const SimpleData tree(records);
  const AnsiString text = tree.toString();

  const int anchor_records = RecordsFor(
      bytes, JsonRecord, [](const Json::Value& v) { return Json::FastWriter().write(v).size(); });
  Json::Value json(Json::arrayValue);
  for (int i = 0; i < anchor_records; ++i) json.append(JsonRecord(i));
  const std::string json_text = Json::FastWriter().write(json);

  const double our_mb = text.Length() / 1048576.0;
  const double anchor_mb = json_text.size() / 1048576.0;
  std::printf("SF text %.1f MB (%d records), JSON text %.1f MB (%d records)\n", our_mb, our_records,
              anchor_mb, anchor_records);

  Pair parse;
  parse.ours = Seconds([&] {
    if (parseSimpleData(text).isNone()) std::abort();
  });
  parse.anchor = Seconds([&] {
    Json::Value value;
    if (!Json::Reader().parse(json_text, value)) std::abort();
  });
  Report("parseSimpleData", parse, our_mb, anchor_mb, our_records, anchor_records);

  Pair write;
  write.ours = Seconds([&] {
    if (tree.toString().Length() != text.Length()) std::abort();
  });
  write.anchor = Seconds([&] {
    if (Json::FastWriter().write(json).size() != json_text.size()) std::abort();
  });
  Report("toString / FastWriter", write, our_mb, anchor_mb, our_records, anchor_records);

  constexpr int kResults = 100000;
  HttpResult results[3] = {Result(0), Result(1), Result(2)};
  const double round_trip = Seconds([&] {
    LEBinaryWriter writer;
    for (int i = 0; i < kResults; ++i) results[i % 3].toBinary(writer);
    LEBinaryReader reader(writer.ToBinary());
    for (int i = 0; i < kResults; ++i) {
      if (HttpResult::fromBinary(reader).kind() != results[i % 3].kind()) std::abort();
    }
  });
  std::printf("HttpResult binary round trip %d values  %10.0f values/s\n", kResults,
              kResults / round_trip);
  return 0;
}
