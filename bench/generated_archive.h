#pragma once
// A large installation archive made at bench time: 20 members, every
// other one text-like (deflated, about 4:1), the rest random bytes (half
// of them stored, half deflated, which leaves them as large as they were).
// The bytes depend only on the requested size, so every run installs the
// same archive. It is written to a file piece by piece (never held in
// memory whole) and read back through a read-only mapping.
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

namespace generated {

// A small, fast generator with a fixed sequence (xorshift64*).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }

 private:
  std::uint64_t state_;
};

// Fills `out` with lines of words from a fixed vocabulary of 512 words.
class TextSource {
 public:
  explicit TextSource(std::uint64_t seed) : random_(seed) {
    Random words(7);
    for (int i = 0; i < 512; ++i) {
      std::string word;
      const int length = 2 + static_cast<int>(words.Next() % 9);
      for (int j = 0; j < length; ++j) word += static_cast<char>('a' + words.Next() % 26);
      vocabulary_.push_back(word);
    }
  }
  void Fill(std::vector<std::uint8_t>& out) {
    out.clear();
    auto append = [&](const std::string& text) { out.insert(out.end(), text.begin(), text.end()); };
    while (out.size() < kChunk) {
      append(std::to_string(line_++));
      out.push_back(':');
      const int count = 6 + static_cast<int>(random_.Next() % 10);
      for (int i = 0; i < count; ++i) {
        out.push_back(' ');
        append(vocabulary_[random_.Next() % vocabulary_.size()]);
      }
      out.push_back('\r');
      out.push_back('\n');
    }
  }
  static constexpr std::size_t kChunk = 256 * 1024;

 private:
  Random random_;
  std::vector<std::string> vocabulary_;
  std::uint64_t line_ = 1;
};

inline void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

struct Entry {
  std::string name;
  int method = 0;
  std::uint32_t crc = 0, packed = 0, size = 0, offset = 0;
};

// The local header (or, with `central`, the central directory record) of `e`.
inline std::vector<std::uint8_t> Header(const Entry& e, bool central) {
  std::vector<std::uint8_t> b;
  Put32(b, central ? 0x02014b50 : 0x04034b50);
  if (central) Put16(b, 20);  // made by
  Put16(b, 20);               // needed to extract
  Put16(b, 0);                // flags
  Put16(b, static_cast<std::uint32_t>(e.method));
  Put16(b, 0x4920);  // 09:09
  Put16(b, 0x4F29);  // 2019-09-09
  Put32(b, e.crc);
  Put32(b, e.packed);
  Put32(b, e.size);
  Put16(b, static_cast<std::uint32_t>(e.name.size()));
  Put16(b, 0);  // extra
  if (central) {
    Put16(b, 0);  // comment
    Put16(b, 0);  // disk
    Put16(b, 0);  // internal attributes
    Put32(b, 0);  // external attributes
    Put32(b, e.offset);
  }
  b.insert(b.end(), e.name.begin(), e.name.end());
  return b;
}

class Writer {
 public:
  explicit Writer(const std::wstring& path)
      : file_(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  ~Writer() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  bool Write(const void* bytes, std::size_t size) {
    DWORD written = 0;
    ok_ = ok_ && file_ != INVALID_HANDLE_VALUE &&
          WriteFile(file_, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
    position_ += size;
    return ok_;
  }
  bool Write(const std::vector<std::uint8_t>& b) { return Write(b.data(), b.size()); }
  // Writes `b` at `at`, then goes back to the end.
  bool Patch(std::uint64_t at, const std::vector<std::uint8_t>& b) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(at);
    DWORD written = 0;
    ok_ = ok_ && SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) &&
          WriteFile(file_, b.data(), static_cast<DWORD>(b.size()), &written, nullptr) && written == b.size();
    to.QuadPart = 0;
    ok_ = ok_ && SetFilePointerEx(file_, to, nullptr, FILE_END);
    return ok_;
  }
  std::uint64_t position() const { return position_; }
  bool Close() {
    ok_ = ok_ && file_ != INVALID_HANDLE_VALUE && CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    return ok_;
  }

 private:
  HANDLE file_;
  bool ok_ = true;
  std::uint64_t position_ = 0;
};

// Writes one member whose packed data reaches about `packedTarget` bytes:
// text (deflated) or random bytes (stored, or deflated when `deflated`).
inline bool WriteMember(Writer& out, Entry& e, bool text, bool deflated, std::uint32_t packedTarget,
                        std::uint64_t seed) {
  e.method = deflated ? 8 : 0;
  e.offset = static_cast<std::uint32_t>(out.position());
  if (!out.Write(Header(e, false))) return false;
  TextSource words(seed);
  Random noise(seed);
  std::vector<std::uint8_t> chunk, packed(TextSource::kChunk * 2);
  z_stream z{};
  if (deflated && deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return false;
  bool ok = true;
  for (bool last = false; ok && !last;) {
    if (text) {
      words.Fill(chunk);
    } else {
      chunk.resize(TextSource::kChunk);
      for (std::size_t i = 0; i < chunk.size(); i += 8) {
        const std::uint64_t v = noise.Next();
        for (int j = 0; j < 8; ++j) chunk[i + j] = static_cast<std::uint8_t>(v >> (8 * j));
      }
    }
    e.crc = static_cast<std::uint32_t>(crc32(e.crc, chunk.data(), static_cast<uInt>(chunk.size())));
    e.size += static_cast<std::uint32_t>(chunk.size());
    // Deflated data is measured by what deflate has put out so far.
    last = (deflated ? z.total_out : e.size) + chunk.size() / (text ? 4 : 1) >= packedTarget;
    if (!deflated) {
      ok = out.Write(chunk);
      continue;
    }
    z.next_in = chunk.data();
    z.avail_in = static_cast<uInt>(chunk.size());
    int rc = Z_OK;
    do {
      z.next_out = packed.data();
      z.avail_out = static_cast<uInt>(packed.size());
      rc = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      ok = rc != Z_STREAM_ERROR && out.Write(packed.data(), packed.size() - z.avail_out);
    } while (ok && (z.avail_out == 0 || (last && rc != Z_STREAM_END)));
  }
  if (deflated) {
    e.packed = static_cast<std::uint32_t>(z.total_out);
    deflateEnd(&z);
  } else {
    e.packed = e.size;
  }
  return ok && out.Patch(e.offset, Header(e, false));
}

}  // namespace generated

// Writes the generated archive of about `bytes` bytes to `path`; false
// when it could not be written.
inline bool WriteGeneratedArchive(const std::wstring& path, std::uint32_t bytes) {
  using namespace generated;
  constexpr int kMembers = 20;
  Writer out(path);
  std::vector<Entry> entries;
  for (int i = 0; i < kMembers; ++i) {
    Entry e;
    const bool text = i % 2 == 0;
    const bool deflated = text || i % 4 == 1;
    e.name = (text ? "data" : "blob") + std::to_string(i + 1) + (text ? ".txt" : ".bin");
    if (!WriteMember(out, e, text, deflated, bytes / kMembers, 1000 + i)) return false;
    entries.push_back(e);
  }
  const std::uint64_t directory = out.position();
  for (const Entry& e : entries) out.Write(Header(e, true));
  std::vector<std::uint8_t> end;
  Put32(end, 0x06054b50);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, kMembers);
  Put16(end, kMembers);
  Put32(end, static_cast<std::uint32_t>(out.position() - directory));
  Put32(end, static_cast<std::uint32_t>(directory));
  Put16(end, 0);
  out.Write(end);
  return out.Close();
}

}  // namespace bench
