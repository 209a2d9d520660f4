#include "app/wapp.h"

namespace {

WApp* theApp = nullptr;

}  // namespace

// Nothing stands in for COM initialisation on Linux.
WApp::WApp() { theApp = this; }

WApp::~WApp() {
  if (theApp == this) theApp = nullptr;
}

WApp* WApp::GetApp() { return theApp; }

WApp::Instance WApp::GetInstance() const { return instance_; }

void WApp::SetInstance(Instance instance) {
  instance_ = instance;
  BuildKeyName();
}

const char* WApp::GetCompanyName() const { return "Tarnwell, Inc."; }

const char* WApp::GetCompanyKey() const { return "tarnwell"; }

const char* WApp::GetCompanyUrl() const { return "https://www.tarnwell.com/quillbox"; }

const char* WApp::GetProductKey() const { return GetProductName(); }

const char* WApp::GetBuildCode() const { return "5481"; }
