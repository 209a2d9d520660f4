#include "core/url_host.h"

std::string_view HostOfUrl(std::string_view url) {
  size_t first = url.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  url.remove_prefix(first);
  size_t scheme_end = url.find("://");
  if (scheme_end != std::string_view::npos &&
      url.substr(0, scheme_end).find_first_of("/?#") == std::string_view::npos) {
    url.remove_prefix(scheme_end + 3);
  }
  url = url.substr(0, url.find_first_of("/?# \t"));
  size_t at = url.rfind('@');
  if (at != std::string_view::npos) url.remove_prefix(at + 1);
  if (url.starts_with('[')) return url.substr(0, url.find(']') + 1);
  return url.substr(0, url.find(':'));
}
