#include "update/update_error.h"

cpString& UpdateErrorText() {
  static cpString text;
  return text;
}
