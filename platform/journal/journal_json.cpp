#include "platform/journal/journal_json.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace hopper {

namespace {
QJsonValue Values(const std::optional<CoinNumbers>& values) {
  if (!values) return QJsonValue::Null;
  QJsonArray array;
  for (std::uint16_t v : *values) array.append(int(v));
  return array;
}
}  // namespace

QJsonObject JournalJson(const JournalEntry& e) {
  return {{"id", e.id},
          {"utc", e.utc.toString(Qt::ISODateWithMs)},
          {"local", e.local},
          {"station", e.station},
          {"user", e.user},
          {"port", e.port},
          {"device", e.device},
          {"stable_name", e.stableName},
          {"usb_serial", e.usbSerial},
          {"header", e.header},
          {"info", e.info},
          {"reported", Values(e.reported)},
          {"sent", Values(e.sent)},
          {"read_back", Values(e.readBack)},
          {"result", ResultName(e.result)},
          {"detail", e.detail},
          {"detail_kind", e.detailKind},
          {"backup", e.backup},
          {"program", e.program},
          {"version", e.version},
          {"unit", e.unit}};
}

QString JournalJsonLine(const JournalEntry& entry) {
  return QString::fromUtf8(QJsonDocument(JournalJson(entry)).toJson(QJsonDocument::Compact));
}

}  // namespace hopper
