#pragma once
// Builds small-to-large ZIP archives in memory at test time, for cases the
// build-time archives cannot hold (members of several megabytes) and for
// directories that lie about their members.
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qwtest {

struct BuiltMember {
  std::string name;
  std::string data;
  int method = 8;  // 0 stored, 8 deflated; another number is written as stored data
  // What both headers claim instead of the truth, when given.
  std::optional<std::uint32_t> claimedSize, claimedPacked;
};

namespace zip_builder {
inline void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
}  // namespace zip_builder

inline std::vector<std::uint8_t> BuildZip(const std::vector<BuiltMember>& members) {
  using zip_builder::Put;
  std::vector<std::uint8_t> zip, directory;
  for (const BuiltMember& m : members) {
    std::string packed = m.data;
    if (m.method == 8) {
      std::vector<Bytef> out(compressBound(static_cast<uLong>(m.data.size())) + 64);
      z_stream z{};
      deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m.data.data()));
      z.avail_in = static_cast<uInt>(m.data.size());
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, Z_FINISH);
      packed.assign(reinterpret_cast<const char*>(out.data()), z.total_out);
      deflateEnd(&z);
    }
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size())));
    const std::uint32_t size = m.claimedSize.value_or(static_cast<std::uint32_t>(m.data.size()));
    const std::uint32_t packedSize = m.claimedPacked.value_or(static_cast<std::uint32_t>(packed.size()));
    const auto offset = static_cast<std::uint32_t>(zip.size());
    auto common = [&](std::vector<std::uint8_t>& b) {
      Put(b, 20, 2);  // needed to extract
      Put(b, 0, 2);   // flags
      Put(b, static_cast<std::uint32_t>(m.method), 2);
      Put(b, 0, 4);  // time and date
      Put(b, crc, 4);
      Put(b, packedSize, 4);
      Put(b, size, 4);
      Put(b, static_cast<std::uint32_t>(m.name.size()), 2);
      Put(b, 0, 2);  // extra
    };
    Put(zip, 0x04034b50, 4);
    common(zip);
    zip.insert(zip.end(), m.name.begin(), m.name.end());
    zip.insert(zip.end(), packed.begin(), packed.end());
    Put(directory, 0x02014b50, 4);
    Put(directory, 20, 2);  // made by
    common(directory);
    Put(directory, 0, 2);  // comment
    Put(directory, 0, 2);  // disk
    Put(directory, 0, 2);  // internal attributes
    Put(directory, 0, 4);  // external attributes
    Put(directory, offset, 4);
    directory.insert(directory.end(), m.name.begin(), m.name.end());
  }
  const auto at = static_cast<std::uint32_t>(zip.size());
  zip.insert(zip.end(), directory.begin(), directory.end());
  Put(zip, 0x06054b50, 4);
  Put(zip, 0, 4);  // disks
  Put(zip, static_cast<std::uint32_t>(members.size()), 2);
  Put(zip, static_cast<std::uint32_t>(members.size()), 2);
  Put(zip, static_cast<std::uint32_t>(directory.size()), 4);
  Put(zip, at, 4);
  Put(zip, 0, 2);  // comment
  return zip;
}

// `size` bytes that do not compress (a fixed sequence).
inline std::string NoiseBytes(std::size_t size, std::uint32_t seed) {
  std::string out(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x >> 24);
  }
  return out;
}

// `size` bytes of numbered lines of text (compress well).
inline std::string TextBytes(std::size_t size) {
  std::string out;
  for (int line = 1; out.size() < size; ++line) out += "line " + std::to_string(line) + " of the member\r\n";
  out.resize(size);
  return out;
}

}  // namespace qwtest
