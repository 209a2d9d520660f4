#pragma once

constexpr const char* kSalesRecipientName = "Tarnwell Sales Manager";
constexpr const char* kSalesMailAddress = "sales@tarnwell.com";
constexpr const char* kSalesInquirySubject = "I have a sales inquiry...";

// Opens a new message to the sales department in the user's mail program,
// addressed and titled, with an empty body, and returns at once. Nothing at
// all happens (false) when there is no mail program to hand it to.
bool SendSalesInquiryMail();
