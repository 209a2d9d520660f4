#include "app/gui/entry_link_commands.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/clock.h"
#include "app/gui/clipboard_service.h"
#include "app/gui/main_window.h"
#include "ui/gui/qt_message_box.h"
#include "ui/gui/qt_text.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "ui/message_box_view.h"
#include "safe/entry.h"
#include "safe/field_reference.h"
#include "safe/one_time_code.h"

void CopyWebAddress(MainWindow& window) {
  const Entry* entry = window.CopyEntry();
  ClipboardService* clipboard = ClipboardService::Instance();
  if (entry == nullptr || entry->url.empty() || clipboard == nullptr) return;
  const SecretText url = ResolveFieldReferences(entry->url.view(), window.App().GetEntries());
  clipboard->Copy(url.c_str(), CopiedField::kWebAddress);
}

void OpenWebAddress(MainWindow& window) {
  const Entry* entry = window.CopyEntry();
  if (entry == nullptr || entry->url.empty()) return;
  const SecretText address = ResolveFieldReferences(entry->url.view(), window.App().GetEntries());
  const QUrl url(TextFromBytes(address.view()).trimmed(), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    ShowQtMessageBox(&window, kOnlyWebLinksOpenMessage, kErrorCaption, kMbOk | kMbIconWarning);
    return;
  }
  if (!QDesktopServices::openUrl(url)) {
    ShowQtMessageBox(&window, kWebAddressNotOpenedMessage, kErrorCaption, kMbOk | kMbIconWarning);
  }
}

void CopyOneTimeCode(MainWindow& window) {
  const Entry* entry = window.CopyEntry();
  ClipboardService* clipboard = ClipboardService::Instance();
  if (entry == nullptr || entry->totp.empty() || clipboard == nullptr) return;
  TotpCode code;
  if (const char* why = CurrentOneTimeCode(entry->totp.view(), UtcSeconds(), code)) {
    ShowQtMessageBox(&window, why, kErrorCaption, kMbOk | kMbIconWarning);
    return;
  }
  clipboard->Copy(code.text, CopiedField::kOneTimeCode, code.secondsLeft);
}
