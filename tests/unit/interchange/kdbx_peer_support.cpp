#include "tests/unit/interchange/kdbx_peer_support.h"

#include <openssl/evp.h>
#include <sys/wait.h>

#include <cstdlib>

std::string KdbxPeerTest::Run(const std::string& command, const std::string& input, int* status) {
  WriteTextFile(Path("stdin"), input);
  std::string home = Path("home");
  std::string line = "cd '" + dir_.Root() + "' && mkdir -p home && HOME='" + home + "' XDG_CONFIG_HOME='" + home +
                     "/.config' XDG_DATA_HOME='" + home + "/.local' XDG_CACHE_HOME='" + home +
                     "/.cache' XDG_RUNTIME_DIR='" + home +
                     "' QT_QPA_PLATFORM=offscreen DISPLAY= WAYLAND_DISPLAY= " + "DBUS_SESSION_BUS_ADDRESS= " + command +
                     " < stdin > stdout 2> stderr";
  int result = std::system(line.c_str());
  int code = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  if (status != nullptr) {
    *status = code;
  } else {
    EXPECT_EQ(code, 0) << command << "\n" << ReadFile("stderr");
  }
  return ReadFile("stdout");
}

FileKey KeyOf(const std::string& password, const std::string* key_file_content) {
  FileKey key;
  key.password = password;
  if (key_file_content != nullptr) key.key_file = WipingBytes(key_file_content->begin(), key_file_content->end());
  return key;
}

std::map<std::string, std::vector<std::string>> ProtectedValues(KdbxContent& content) {
  std::map<std::string, std::vector<std::string>> values;
  std::string_view xml(reinterpret_cast<const char*>(content.Xml().data()), content.Xml().size());
  constexpr std::string_view kMark = "Protected=\"True\">";
  for (size_t at = xml.find(kMark); at != std::string_view::npos; at = xml.find(kMark, at + 1)) {
    size_t key_end = xml.rfind("</Key>", at);
    size_t key_start = xml.rfind("<Key>", key_end);
    std::string name(xml.substr(key_start + 5, key_end - key_start - 5));
    size_t start = at + kMark.size();
    std::string encoded(xml.substr(start, xml.find('<', start) - start));
    std::string decoded(encoded.size() / 4 * 3 + 3, '\0');
    int size = EVP_DecodeBlock(reinterpret_cast<uint8_t*>(decoded.data()),
                               reinterpret_cast<const uint8_t*>(encoded.data()), static_cast<int>(encoded.size()));
    decoded.resize(static_cast<size_t>(std::max(size, 0)) - (encoded.ends_with("==") ? 2 : encoded.ends_with("=")));
    content.stream.Apply(std::span<uint8_t>(reinterpret_cast<uint8_t*>(decoded.data()), decoded.size()));
    values[name].push_back(decoded);
  }
  return values;
}
