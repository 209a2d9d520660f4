#pragma once

#include "app/clipboard_keeper.h"

// The desktop clipboard through Qt: the text goes with the
// "x-kde-passwordManagerHint" MIME type set to "secret", which clipboard
// histories (Klipper, CopyQ, GNOME extensions) take as "do not keep".
// The primary selection is never touched.
class QtClipboard final : public ClipboardPort {
 public:
  static constexpr char kHintType[] = "x-kde-passwordManagerHint";

  bool PutSecret(const char* text) override;
  bool Holds(const char* text) override;
  void Clear() override;
};
