#pragma once

#include "settings/wreg.h"

// The application framework class. Its identity operations name the maker
// and product; the settings store builds its key path from the key texts.
// Exactly one application object exists; GetApp returns it.
class WApp : public WReg {
 public:
  // The module instance handle; the GUI layer decides what it points at.
  using Instance = void*;

  WApp();
  ~WApp() override;

  // The application object; null before one is constructed.
  static WApp* GetApp();

  Instance GetInstance() const;
  // Stores the handle, then builds the settings key path. Called once,
  // first thing at start-up, before any setting is read.
  void SetInstance(Instance instance);

  virtual const char* GetCompanyName() const;
  const char* GetCompanyKey() const override;
  virtual const char* GetCompanyUrl() const;
  virtual const char* GetProductName() const = 0;
  // Follows GetProductName unless overridden.
  const char* GetProductKey() const override;
  virtual const char* GetVersionText() const = 0;
  const char* GetVersionKey() const override = 0;
  virtual const char* GetDisplayName() const = 0;
  virtual const char* GetBuildCode() const;

 private:
  Instance instance_ = nullptr;
};
