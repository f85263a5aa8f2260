#pragma once
// Output of a program that prints one JSON object a line, taken as it arrives: whole lines are
// handed over as objects, a partial line waits for the rest.

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace hopper::test {

template <typename Take>
void TakeJsonLines(QByteArray& pending, const QByteArray& arrived, Take take) {
  pending += arrived;
  for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
    take(QJsonDocument::fromJson(pending.left(end)).object());
}

}  // namespace hopper::test
