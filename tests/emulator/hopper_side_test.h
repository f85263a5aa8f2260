#pragma once
#include <QObject>

class HopperSideTest : public QObject {
  Q_OBJECT
 private slots:
  void powerOnSendsReportAndSync();
  void echoBringsTheReadyByte();
  void noEchoMeansNoReadyByte();
  void saveFrameIsAcknowledgedAndReadBack();
  void lateAnswerAndReadBackWaitForTheirTimers();
  void faultsOnTheLine_data();
  void faultsOnTheLine();
  void dispenseCommandsAreLogged_data();
  void dispenseCommandsAreLogged();
  void bytesWhileOffAreIgnored();
  void aStalledSaveFrameIsDropped();
  void noiseIsRepeatable();
  void cutBeyondTheReportCutsNothing();
};
