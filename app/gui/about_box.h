#pragma once

#include <QDialog>

class QLabel;

// The about box: build code, the maker's contact labels and the product
// banner. A left click on the web-site label opens the web site, one on the
// mail label prepares a sales-inquiry mail; other clicks do nothing.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  AboutBox(QWidget* owner, const char* buildCode, const char* companyUrl);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString companyUrl_;
  QLabel* webSiteLabel_;
  QLabel* mailLabel_;
};

// Runs the about box modally over owner, with the application's identity.
void ShowAboutBox(QWidget* owner);
