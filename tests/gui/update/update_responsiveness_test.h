#pragma once

#include <QObject>

class UpdateResponsivenessTest : public QObject {
  Q_OBJECT

 private slots:
  void aSlowServerNeitherFreezesNorHoldsTheCheck();
};
