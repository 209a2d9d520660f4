#pragma once

#include <QObject>

class WProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void showsThePercentage_data();
  void showsThePercentage();
  void throttlesRedrawsAndDispatch();
  void cancelStopsEverythingAndEnablesTheOwner();
  void onlyTheCancelWaysCancel_data();
  void onlyTheCancelWaysCancel();
  void closeIsHarmlessTwiceAndOnDestruction();
};
