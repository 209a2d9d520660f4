#pragma once

#include "app/wapp.h"

// The application's identity as the product gives it, for tests that need
// a complete application object.
class TestApp : public WApp {
 public:
  const char* GetProductName() const override { return "Tarnwell Quillbox"; }
  const char* GetVersionText() const override { return "2.0"; }
  const char* GetVersionKey() const override { return "2"; }
  const char* GetDisplayName() const override { return "Tarnwell Quillbox"; }
};
