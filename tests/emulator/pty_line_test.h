#pragma once
#include <QObject>

class PtyLineTest : public QObject {
  Q_OBJECT
 private slots:
  void dialogueOverAPseudoTerminal();
  void survivesTheToolClosingAndReopening();
  void linkPointsAtTheDeviceAndGoesWithIt();
  void linkDoesNotReplaceAnOrdinaryFile();
  void pulledCableHangsUpTheTool();
  void deviceChannelTalksOverAGivenDevice();
  void deviceChannelReportsAMissingDevice();
};
