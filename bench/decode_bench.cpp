// Decoding speed of the archive's stream format against zlib's inflate and
// lz4's decoder on the same corpus, in megabytes of output per second.
//
// The corpus is built at start-up, the same on every machine: the
// repository's source files (sorted by path), generated text with the word
// statistics of documents and settings files, and generated binary data
// (fixed-size records, sampled signals, an image with runs). Each part is
// compressed once by each codec; the compressed sizes are printed and are
// attached to every result as counters.

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <lz4hc.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/compress.h"
#include "archive/decompress.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// A fixed pseudo-random sequence (xorshift64*), so the generated parts do not
// depend on the standard library's distributions.
class Sequence {
 public:
  explicit Sequence(uint64_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return (uint32_t)((state_ * 2685821657736338717ull) >> 32);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }

 private:
  uint64_t state_;
};

Bytes SourceFiles(size_t limit) {
  namespace fs = std::filesystem;
  std::vector<fs::path> paths;
  std::error_code error;
  const fs::path root(BENCH_SOURCE_DIR);
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (it->is_directory() && (name == "build" || name[0] == '.')) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string ext = it->path().extension().string();
    if (it->is_regular_file() &&
        (ext == ".cpp" || ext == ".h" || ext == ".txt" || ext == ".md" ||
         ext == ".json" || ext == ".cmake" || ext == ".rc")) {
      paths.push_back(it->path());
    }
  }
  std::sort(paths.begin(), paths.end());
  Bytes all;
  for (const fs::path& p : paths) {
    std::ifstream f(p, std::ios::binary);
    all.insert(all.end(), std::istreambuf_iterator<char>(f),
               std::istreambuf_iterator<char>());
    if (all.size() >= limit) break;
  }
  if (all.size() > limit) all.resize(limit);
  return all;
}

// Words drawn with a skewed frequency, in lines and sections like those of
// documents and settings files.
Bytes TextLike(size_t size) {
  static const char* const words[] = {
      "the",     "of",     "and",    "to",      "a",        "in",
      "is",      "file",   "update", "game",    "folder",   "install",
      "version", "data",   "setup",  "archive", "member",   "copy",
      "disk",    "patch",  "path",   "windows", "program",  "settings",
      "value",   "key",    "name",   "time",    "written",  "check",
      "user",    "page",   "next",   "cancel",  "finished", "error",
      "memory",  "length", "size",   "offset",  "stream",   "control"};
  const uint32_t count = sizeof words / sizeof words[0];
  Sequence seq(1);
  Bytes text;
  uint32_t section = 0;
  while (text.size() < size) {
    if (seq.Below(40) == 0) {
      char header[64];
      snprintf(header, sizeof header, "\r\n[Section%u]\r\n", section++);
      text.insert(text.end(), header, header + strlen(header));
    }
    if (seq.Below(3) == 0) {
      char line[64];
      snprintf(line, sizeof line, "Key%u=%u,%s\\%s.dat\r\n", seq.Below(30),
               seq.Below(100000), words[seq.Below(count)],
               words[seq.Below(count)]);
      text.insert(text.end(), line, line + strlen(line));
      continue;
    }
    uint32_t sentence = 4 + seq.Below(14);
    for (uint32_t i = 0; i < sentence; i++) {
      // The square skews towards the common words at the front.
      uint32_t r = seq.Below(count);
      const char* w = words[r * r / count];
      text.insert(text.end(), w, w + strlen(w));
      text.push_back(i + 1 < sentence ? ' ' : '.');
    }
    text.insert(text.end(), {'\r', '\n'});
  }
  text.resize(size);
  return text;
}

void PutLe(Bytes* b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; i++) b->push_back((uint8_t)(v >> (8 * i)));
}

// Binary data of three common shapes, a third each.
Bytes BinaryLike(size_t size) {
  Sequence seq(2);
  Bytes b;
  // Records: an increasing id, small counters, a coordinate that moves
  // smoothly, a flag word, random bytes and zero padding.
  float x = 0;
  for (uint32_t id = 1; b.size() < size / 3; id++) {
    PutLe(&b, id, 4);
    PutLe(&b, seq.Below(16), 2);
    PutLe(&b, seq.Below(300), 2);
    x += (float)seq.Below(100) / 50.0f - 0.9f;
    uint32_t bits;
    memcpy(&bits, &x, 4);
    PutLe(&b, bits, 4);
    PutLe(&b, seq.Below(4) == 0 ? 0x80000001u : 1u, 4);
    PutLe(&b, seq.Next(), 4);
    PutLe(&b, 0, 12);
  }
  // 16-bit samples of a tone with noise.
  for (uint32_t i = 0; b.size() < 2 * size / 3; i++) {
    double v =
        9000 * sin(i * 0.031) + 3000 * sin(i * 0.17) + (double)seq.Below(200);
    PutLe(&b, (uint32_t)(int32_t)v, 2);
  }
  // An 8-bit image: rows of runs with a few changing pixels.
  while (b.size() < size) {
    uint8_t colour = (uint8_t)seq.Below(16);
    uint32_t run = 1 + seq.Below(64);
    for (uint32_t i = 0; i < run; i++) {
      b.push_back(seq.Below(20) == 0 ? (uint8_t)seq.Below(256) : colour);
    }
  }
  b.resize(size);
  return b;
}

struct Part {
  std::string Name;
  Bytes Input;
  Bytes Ours, Zlib, Lz4;
};

std::vector<Part>& Parts() {
  static std::vector<Part> parts;
  return parts;
}

void Prepare(Part* p) {
  p->Ours = Compress(p->Input.data(), p->Input.size());

  uLongf zlibSize = compressBound((uLong)p->Input.size());
  p->Zlib.resize(zlibSize);
  if (compress2(p->Zlib.data(), &zlibSize, p->Input.data(),
                (uLong)p->Input.size(), Z_DEFAULT_COMPRESSION) != Z_OK) {
    p->Zlib.clear();
  } else {
    p->Zlib.resize(zlibSize);
  }

  p->Lz4.resize((size_t)LZ4_compressBound((int)p->Input.size()));
  int lz4Size = LZ4_compress_HC((const char*)p->Input.data(),
                                (char*)p->Lz4.data(), (int)p->Input.size(),
                                (int)p->Lz4.size(), LZ4HC_CLEVEL_DEFAULT);
  p->Lz4.resize(lz4Size > 0 ? (size_t)lz4Size : 0);
}

enum Codec { Ours, ZlibInflate, Lz4Decode };

// One decode of the part into `out`; false when the codec failed.
bool DecodeOnce(Codec codec, const Part& p, Bytes* out) {
  switch (codec) {
    case Ours:
      return Decompress(out->data(), (uint32_t)out->size(), p.Ours.data(),
                        (uint32_t)p.Ours.size()) == 1;
    case ZlibInflate: {
      uLongf size = (uLongf)out->size();
      return uncompress(out->data(), &size, p.Zlib.data(),
                        (uLong)p.Zlib.size()) == Z_OK &&
             size == out->size();
    }
    case Lz4Decode:
      return LZ4_decompress_safe((const char*)p.Lz4.data(), (char*)out->data(),
                                 (int)p.Lz4.size(),
                                 (int)out->size()) == (int)out->size();
  }
  return false;
}

void DecodeBenchmark(benchmark::State& state, Codec codec, const Part* p) {
  Bytes out(p->Input.size());
  if (!DecodeOnce(codec, *p, &out) || out != p->Input) {
    state.SkipWithError("decoding did not restore the input");
    return;
  }
  for (auto _ : state) {
    DecodeOnce(codec, *p, &out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed((int64_t)state.iterations() *
                          (int64_t)p->Input.size());
  const Bytes& stream = codec == Ours          ? p->Ours
                        : codec == ZlibInflate ? p->Zlib
                                               : p->Lz4;
  state.counters["compressed"] = (double)stream.size();
  state.counters["ratio"] = (double)stream.size() / (double)p->Input.size();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Part>& parts = Parts();
  parts.push_back({"sources", SourceFiles(2u << 20), {}, {}, {}});
  parts.push_back({"text", TextLike(2u << 20), {}, {}, {}});
  parts.push_back({"binary", BinaryLike(1u << 20), {}, {}, {}});
  Part all{"all", {}, {}, {}, {}};
  for (const Part& p : parts) {
    all.Input.insert(all.Input.end(), p.Input.begin(), p.Input.end());
  }
  parts.push_back(all);

  printf("%-8s %10s %12s %12s %12s\n", "part", "input", "stream", "zlib",
         "lz4hc");
  for (Part& p : parts) {
    Prepare(&p);
    printf("%-8s %10zu %12zu %12zu %12zu\n", p.Name.c_str(), p.Input.size(),
           p.Ours.size(), p.Zlib.size(), p.Lz4.size());
  }
  fflush(stdout);

  for (const Part& p : parts) {
    if (p.Input.empty()) continue;
    benchmark::RegisterBenchmark(("decode/stream/" + p.Name).c_str(),
                                 DecodeBenchmark, Ours, &p);
    benchmark::RegisterBenchmark(("decode/zlib/" + p.Name).c_str(),
                                 DecodeBenchmark, ZlibInflate, &p);
    benchmark::RegisterBenchmark(("decode/lz4/" + p.Name).c_str(),
                                 DecodeBenchmark, Lz4Decode, &p);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
