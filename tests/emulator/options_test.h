#pragma once
#include <QObject>

class OptionsTest : public QObject {
  Q_OBJECT
 private slots:
  void badArgumentsAreRefused_data();
  void badArgumentsAreRefused();
  void faultOptionsAreTaken();
  void coinsComeFromAListOrAFile();
  void helpListsEveryOption();
};
