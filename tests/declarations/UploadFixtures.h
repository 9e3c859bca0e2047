#pragma once

#include "core/Database.h"

#include <QByteArray>
#include <QStringList>
#include <QVariantMap>

namespace zq::test {

// A stored amount (INTEGER ten-thousandths) from its decimal text.
QVariant amount(const char* text);

// The header of the standard test declaration: every ApplT column but AppID.
QVariantMap standardHeader();
// A detail row with the given RowId (ID equal); the other columns are a plain salaried person.
QVariantMap detailRow(int rowId, const QString& idCard, const QString& name, const char* income,
                      const char* taxable, const char* rate, const char* paid);

// Stores a declaration directly in ApplT and ApplTInfo, rows in the order given.
void storeDeclaration(Database& db, qint64 appId, const QVariantMap& header,
                      const QList<QVariantMap>& rows = {});

// The 15 header lines the standard header gives, without line ends.
QStringList standardHeaderLines();

// Lines joined with CR LF after each and encoded in GBK.
QByteArray gbkFile(const QStringList& lines);

} // namespace zq::test
