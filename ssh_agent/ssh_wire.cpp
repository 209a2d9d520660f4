#include "ssh_agent/ssh_wire.h"

bool WireReader::ReadByte(uint8_t* value) {
  if (rest_.empty()) return false;
  *value = rest_[0];
  rest_ = rest_.subspan(1);
  return true;
}

bool WireReader::ReadU32(uint32_t* value) {
  if (rest_.size() < 4) return false;
  *value = uint32_t{rest_[0]} << 24 | uint32_t{rest_[1]} << 16 | uint32_t{rest_[2]} << 8 | rest_[3];
  rest_ = rest_.subspan(4);
  return true;
}

bool WireReader::ReadBytes(size_t count, std::span<const uint8_t>* value) {
  if (rest_.size() < count) return false;
  *value = rest_.first(count);
  rest_ = rest_.subspan(count);
  return true;
}

bool WireReader::ReadString(std::span<const uint8_t>* value) {
  WireReader probe = *this;
  uint32_t length = 0;
  if (!probe.ReadU32(&length) || !probe.ReadBytes(length, value)) return false;
  *this = probe;
  return true;
}

bool WireReader::ReadString(std::string_view* value) {
  std::span<const uint8_t> bytes;
  if (!ReadString(&bytes)) return false;
  *value = {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
  return true;
}

void PutByte(WipingBytes& out, uint8_t value) { out.push_back(value); }

void PutU32(WipingBytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutString(WipingBytes& out, std::span<const uint8_t> value) {
  PutU32(out, static_cast<uint32_t>(value.size()));
  out.insert(out.end(), value.begin(), value.end());
}

void PutString(WipingBytes& out, std::string_view value) { PutString(out, AsBytes(value)); }

void PutMpint(WipingBytes& out, std::span<const uint8_t> magnitude) {
  while (!magnitude.empty() && magnitude[0] == 0) magnitude = magnitude.subspan(1);
  bool padded = !magnitude.empty() && (magnitude[0] & 0x80) != 0;
  PutU32(out, static_cast<uint32_t>(magnitude.size() + (padded ? 1 : 0)));
  if (padded) out.push_back(0);
  out.insert(out.end(), magnitude.begin(), magnitude.end());
}
