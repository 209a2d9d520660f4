#pragma once

#include <QObject>

class OptionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void opensOnTheGivenChoice_data();
  void opensOnTheGivenChoice();
  void okWritesTheChoiceCancelKeepsIt();
  void showsTheDesignedTexts();
};
