#pragma once

#include <QString>

namespace zq::bench {

// The salary import of a large employer against its bare limit.
struct SalaryImportTiming {
    qint64 rows = 0;
    double importMs =
        0; // "导入" into a new declaration, answered Yes, from the finance link to the last total
    double bareReadMs =
        0; // the same salary and Employee rows read through the same driver, every value touched
    double ratio() const { return bareReadMs > 0 ? importMs / bareReadMs : 0; }
};

// Builds in folder (which must exist and be empty) an own database with the demo units and the demo payroll
// package, whose account set 001 then holds `rows` taxed salary rows of March for `rows` employees, each with
// an Employee row of unit 1; then times the import and the bare read, the median of `runs` each.
SalaryImportTiming measureSalaryImport(const QString& folder, qint64 rows, int runs);

} // namespace zq::bench
