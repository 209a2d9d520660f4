#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The spare keycodes auto-type has given characters, kept in a private file
// while they are mapped, so that the next start undoes a typing that was
// killed. Only keycode numbers are written, never what they type.
class KeycodeRecord {
 public:
  // The file in the user's runtime folder, for the display DISPLAY names.
  static KeycodeRecord ForThisDisplay();
  KeycodeRecord(std::string path, std::string display) : path_(std::move(path)), display_(std::move(display)) {}

  // Written (0600, replacing the last) before the keycodes change.
  bool Write(const std::vector<uint8_t>& keycodes) const;
  // Empty when there is no record, or it is another display's.
  std::vector<uint8_t> Read() const;
  void Remove() const;

 private:
  std::string path_;
  std::string display_;
};
