#pragma once
#include <QObject>

class MemoryLineTest : public QObject {
  Q_OBJECT
 private slots:
  void wholeDialogue();
  void pacedBytesArriveInOrder();
  void pullCableClosesTheLineAfterCountedBytes();
  void powerOnWaitsForTheToolToOpenTheLine();
  void bytesNobodyListensToAreLost();
  void echoWaitEnds();
};
