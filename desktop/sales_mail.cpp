#include "desktop/sales_mail.h"

#include <string>

#include "desktop/detached_process.h"

bool SendSalesInquiryMail() {
  const std::string recipient = std::string(kSalesRecipientName) + " <" + kSalesMailAddress + ">";
  return StartDetachedProcess("xdg-email", {"--subject", kSalesInquirySubject, recipient});
}
