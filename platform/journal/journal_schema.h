#pragma once
// The journal's tables: what every database gets first (the record of migrations), and each
// migration step by the schema version it brings the database to.

#include <QStringList>

namespace hopper {

QStringList SchemaSetup(bool postgres);
QStringList MigrationSteps(int version, bool postgres);

}  // namespace hopper
