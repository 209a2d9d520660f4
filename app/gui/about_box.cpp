#include "app/gui/about_box.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSpacerItem>
#include <QUrl>

#include "app/wapp.h"
#include "core/product_name.h"
#include "desktop/sales_mail.h"

namespace {

constexpr const char* kCaptionFormat = "%s - %s";
constexpr const char* kBuildCodeText = "Quillbox 2.0 Release Build Code: ";
constexpr const char* kThanksText = "Thank you for choosing Tarnwell for your security needs.";
constexpr const char* kNoticeText = "Copyright 2026";
constexpr const char* kCompanyText = "Tarnwell, Inc.";
constexpr const char* kTelephoneText = "+1 (555) 014-5481";
constexpr const char* kBannerImage = ":/images/bitmap_127.png";

// Control ids of the dialog, kept as object names.
constexpr const char* kBuildCodeId = "1013";
constexpr const char* kBannerId = "1095";
constexpr const char* kWebSiteId = "1085";
constexpr const char* kMailId = "1062";

const QColor kLinkColour(0, 0, 255);
constexpr int kCaptionButtonsWidth = 100;

QLabel* AddLabel(QDialog* dialog, const QString& text, const char* id = nullptr) {
  auto* label = new QLabel(text, dialog);
  if (id != nullptr) label->setObjectName(QString::fromLatin1(id));
  // Clicks go through to the dialog, which decides what they hit.
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

void MakeLink(QLabel* label) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kLinkColour);
  label->setPalette(palette);
}

QFont WebSiteFont() {
  QFont font(QStringLiteral("Roman"));
  font.setStyleHint(QFont::Serif);
  font.setPixelSize(16);
  font.setWeight(QFont::Black);
  font.setUnderline(true);
  return font;
}

}  // namespace

AboutBox::AboutBox(QWidget* owner, const char* buildCode, const char* companyUrl)
    : QDialog(owner), companyUrl_(QString::fromLatin1(companyUrl)) {
  setWindowTitle(QString::asprintf(kCaptionFormat, kProductName, companyUrl));

  auto* banner = AddLabel(this, QString(), kBannerId);
  banner->setPixmap(QPixmap(QString::fromLatin1(kBannerImage)));
  webSiteLabel_ = AddLabel(this, companyUrl_, kWebSiteId);
  webSiteLabel_->setFont(WebSiteFont());
  MakeLink(webSiteLabel_);
  mailLabel_ = AddLabel(this, QString::fromLatin1(kSalesMailAddress), kMailId);
  MakeLink(mailLabel_);
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* buildLine = new QHBoxLayout;
  buildLine->setSpacing(0);
  buildLine->addWidget(AddLabel(this, QString::fromLatin1(kBuildCodeText)));
  buildLine->addWidget(AddLabel(this, QString::fromLatin1(buildCode), kBuildCodeId));
  buildLine->addStretch();

  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->addLayout(buildLine, 0, 0, 1, 2);
  grid->addWidget(AddLabel(this, QString::fromLatin1(kThanksText)), 1, 0, 1, 2);
  grid->addWidget(banner, 2, 0, 1, 2);
  grid->addWidget(AddLabel(this, QString::fromLatin1(kNoticeText)), 3, 0);
  grid->addWidget(webSiteLabel_, 3, 1, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(AddLabel(this, QString::fromLatin1(kCompanyText)), 4, 0);
  grid->addWidget(AddLabel(this, QString::fromLatin1(kTelephoneText)), 5, 0);
  grid->addWidget(mailLabel_, 6, 0, Qt::AlignLeft);
  grid->addWidget(ok, 6, 1, Qt::AlignRight);
  // Wide enough that the window manager need not cut the caption short.
  const int captionWidth = fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + kCaptionButtonsWidth;
  grid->addItem(new QSpacerItem(captionWidth, 0), 7, 0, 1, 2);
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  // Both tests stand on their own, as the labels could overlap.
  if (webSiteLabel_->geometry().contains(point)) QDesktopServices::openUrl(QUrl(companyUrl_));
  if (mailLabel_->geometry().contains(point)) SendSalesInquiryMail();
}

void ShowAboutBox(QWidget* owner) {
  const WApp* app = WApp::GetApp();
  AboutBox box(owner, app->GetBuildCode(), app->GetCompanyUrl());
  box.exec();
}
