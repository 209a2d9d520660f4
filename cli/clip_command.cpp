#include "cli/clip_command.h"

#include <time.h>

#include <string>

#include "app/clock.h"
#include "cli/entry_fields.h"
#include "cli/tool_clipboard.h"
#include "core/heapstring.h"
#include "safe/field_reference.h"

namespace {

constexpr long kPollNs = 100 * 1000 * 1000;

void Say(CliSession& session, const std::string& text) {
  fputs((text + "\n").c_str(), session.out());
  fflush(session.out());
}

}  // namespace

ExitStatus RunClip(CliSession& session) {
  int clearSeconds = kDefaultClipboardClearSeconds;
  session.app().ReadSetting(kClipboardClearSecondsSetting, &clearSeconds);
  ToolClipboard clipboard;
  if (!clipboard.Choose(clearSeconds > 0)) {
    return session.Fail(kExitFailure, kNoClipboardMessage);
  }
  // Clipboard histories keep a copy that lacks the hint.
  if (!clipboard.CarriesHint()) {
    session.Warn(std::string("warning: ") + clipboard.ToolName() +
                 " cannot mark the copy as a password; clipboard histories may keep it");
  }
  EntryList entries;
  ExitStatus status = session.LoadForReading(entries);
  const size_t index = session.arguments().indexes[0];
  if (status == kExitOk) status = session.CheckIndex(index, entries.entries.size());
  if (status != kExitOk) return status;

  const bool userName = session.arguments().clip_user_name;
  char* text = nullptr;
  {
    // Held no longer than the copy: the countdown below keeps no secret.
    const Entry entry = WithFieldReferencesResolved(entries.entries[index - 1], FieldReferences(entries.entries));
    const EntryFields fields = DesignedFieldsOf(entry);
    const std::string_view field = userName ? fields.account_user : fields.password;
    text = DupBytes(field.data(), field.size());
  }
  if (text == nullptr) return session.Fail(kExitFailure, "out of memory");
  SystemClock clock;
  ClipboardKeeper keeper(clipboard, clock);
  keeper.SetClearSeconds(clearSeconds);
  const bool copied = keeper.Copy(text, userName ? CopiedField::kUserName : CopiedField::kPassword);
  WipeAndFree(text);
  entries = EntryList();
  if (!copied)
    return session.Fail(kExitFailure, std::string("the clipboard could not be set through ") + clipboard.ToolName());
  if (clearSeconds == 0) {
    Say(session, keeper.StatusText() + " (not cleared: Clipboard_Clear_Seconds is 0)");
    return kExitOk;
  }
  Say(session, keeper.StatusText());
  ClipboardKeeper::Outcome outcome;
  while ((outcome = keeper.Tick()) == ClipboardKeeper::Outcome::kCountingDown) {
    // Someone else took the clipboard: nothing left to clear.
    if (!clipboard.Holds(nullptr)) {
      outcome = keeper.ClearNow();
      break;
    }
    const timespec pause{0, kPollNs};
    nanosleep(&pause, nullptr);
  }
  Say(session, outcome == ClipboardKeeper::Outcome::kCleared ? kClipboardClearedText : kClipboardLeftAloneText);
  return kExitOk;
}
